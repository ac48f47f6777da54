#include "export/savecalls.h"

SaveCalls &saveCalls()
{
    static SaveCalls calls;
    return calls;
}
