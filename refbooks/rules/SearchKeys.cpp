#include "SearchKeys.h"
#include "Query.h"

namespace SearchKeys {

bool take(Query& list, int key)
{
    switch (key) {
    case Qt::Key_Up:
        if (list.recNo() > 1)
            list.prior();
        return true;
    case Qt::Key_Down:
        if (list.recNo() < list.recordCount())
            list.next();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
        return true;
    default:
        return false;
    }
}

} // namespace SearchKeys
