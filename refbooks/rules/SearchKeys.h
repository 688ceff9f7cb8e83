#pragma once

class Query;

// Keys pressed in the search box of a list window: Up and Down move the list's cursor
// (staying on the first and last row), Left, Right, Home, End and Delete do nothing, the
// rest (typing, Backspace) edit the box. True when the key was taken from the box.
namespace SearchKeys {
bool take(Query& list, int key);
}
