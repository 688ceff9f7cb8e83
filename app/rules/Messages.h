#pragma once

// Messages several windows share.
namespace Messages {
// A change or deletion found its row deleted by another user; the list is read again.
inline const char* const Gone = "Запись уже удалена другим пользователем. Список обновлен.";
} // namespace Messages
