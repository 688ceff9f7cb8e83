#pragma once

class Connection;

// The month rebuild as the workshop's program did it: day by day, a count and an update or
// insert for every worker and shift of the day, each statement on its own. Kept as the
// measure the set-based rebuild is checked and timed against; the program does not use it.
namespace RebuildByDay {
// Returns the number of statements sent.
int run(Connection& c, int month, int year);
}
