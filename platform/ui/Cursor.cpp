#include "platform/ui/Cursor.h"

const CCursor* CCursor::Arrow() {
    static const CCursor arrow;
    return &arrow;
}
