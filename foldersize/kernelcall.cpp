#include "foldersize/kernelcall.h"

#include "foldersize/stalledfolders.h"

void KernelCalls::answered()
{
    StalledFolders::instance().answered(*this);
}
