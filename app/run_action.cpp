// The tool modes, shared by the Windows and Linux builds.
#include "app/run_action.h"

#include "datafile/builder.h"
#include "datafile/extract_whole.h"
#include "platform/platform.h"

int RunToolAction(CommandAction action)
{
    switch (action)
    {
    case kActionMake:
        return MakeDataBin(gFolderArg) == 0 ? 0 : 1;
    case kActionExtract:
        return ExtractDataBin(gFolderArg) == 0 ? 0 : 1;
    case kActionRefused:
        ReportError("the folder after /m or /e is missing or longer than %d characters",
                    kFolderArgSize - 2);
        return 2;
    default:
        return 2;
    }
}
