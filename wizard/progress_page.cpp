// The progress page's dialog procedure: one ExtractNext per timer tick, the
// bar and the current file, and the damaged and not-written texts.
#include "wizard/progress_page.h"

#include <commctrl.h>

#include "datafile/embedded_image.h"
#include "datafile/extract_step.h"
#include "platform/text.h"
#include "res/resource_ids.h"
#include "wizard/label_fit.h"
#include "wizard/page_common.h"
#include "wizard/welcome_page.h"

int gExtractBusy = 0;
int gProgressPercent = 0;
char gCurrentFile[kCurrentFileSize];
int gInstallDamaged = 0;

const char kDamagedText[] = "Setup is damaged. Please download it again.";
const char kNotWrittenOneText[] = " file could not be written: ";
const char kNotWrittenManyText[] = " files could not be written, the first: ";

const UINT_PTR kStepTimer = 0;
const UINT kStepPeriodMs = 100;

static INT_PTR OnProgressInit(HWND page)
{
    SetPageIcon(page);
    gExtractBusy = 0;
    gInstallDamaged = 0;
    gProgressPercent = BeginExtract(gInstallFolder, gDatfile, gSizeDatfile);
    SendDlgItemMessageA(page, IDC_PROGRESS_BAR, PBM_SETPOS, gProgressPercent, 0);
    SetTimer(page, kStepTimer, kStepPeriodMs, NULL);
    return TRUE;
}

// Ends the steps with text in the label and Next enabled, so that the user
// can leave without a "Complete".
static void EndSteps(HWND page, const char* text)
{
    KillTimer(page, kStepTimer);
    SetDlgItemTextA(page, IDC_CURRENT_FILE, text);
    EnableWindow(GetDlgItem(page, IDC_NEXT), TRUE);
    UpdateWindow(page);
}

// A damaged image stops the extraction for good.
static void ShowDamaged(HWND page)
{
    gInstallDamaged = 1;
    EndSteps(page, kDamagedText);
}

// Every entry has been taken, but some files are not on the disk: the
// label says how many and names the first, in place of "Complete".
static void ShowNotWritten(HWND page)
{
    char count[kNumberTextSize];
    UnsignedText(count, (uint32_t)gExtractSkipped, 10);
    char lead[64];
    JoinText(lead, sizeof lead, count,
             gExtractSkipped == 1 ? kNotWrittenOneText : kNotWrittenManyText, nullptr);
    FitPathToLabel(GetDlgItem(page, IDC_CURRENT_FILE), lead, gExtractFirstSkipped, gCurrentFile,
                   sizeof gCurrentFile);
    EndSteps(page, gCurrentFile);
}

static INT_PTR OnProgressTimer(HWND page)
{
    if (gExtractBusy)
        return FALSE;
    gExtractBusy = 1;
    gProgressPercent = ExtractNext(gInstallFolder, gCurrentFile);
    gExtractBusy = 0;
    if (gProgressPercent == kExtractDamaged)
    {
        ShowDamaged(page);
        return FALSE;
    }
    if (gProgressPercent == 100 && gExtractSkipped > 0)
    {
        SendDlgItemMessageA(page, IDC_PROGRESS_BAR, PBM_SETPOS, gProgressPercent, 0);
        ShowNotWritten(page);
        return FALSE;
    }
    if (gProgressPercent == 100)
        EnableWindow(GetDlgItem(page, IDC_NEXT), TRUE);
    SendDlgItemMessageA(page, IDC_PROGRESS_BAR, PBM_SETPOS, gProgressPercent, 0);
    SetDlgItemTextA(page, IDC_CURRENT_FILE, gCurrentFile);
    UpdateWindow(page);
    return FALSE;
}

// Only Next ends the page; IDCANCEL is ignored like every other command.
static INT_PTR OnProgressCommand(HWND page, int id)
{
    if (id == IDC_NEXT)
        EndDialog(page, 1);
    return FALSE;
}

static INT_PTR OnProgressDestroy(HWND page)
{
    KillTimer(page, kStepTimer);
    return FALSE;
}

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        return OnProgressInit(page);
    case WM_TIMER:
        return OnProgressTimer(page);
    case WM_COMMAND:
        return OnProgressCommand(page, LOWORD(wParam));
    case WM_DESTROY:
        return OnProgressDestroy(page);
    }
    return FALSE;
}
