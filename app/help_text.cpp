// The help text and its title, shown for /? in a message box.
#include "app/help_text.h"

const char kHelpTitle[] = "Install Tremlok";

const char kHelpText[] =
    "Tremlok Setup utility - installs Tremlok and packages its files\n"
    "\n"
    " /?   View help,\n"
    " /mX  Make data.bin from folder 'X'\n"
    "      /mc:\\tremlok builds archive file from everything under c:\\tremlok\n"
    " /eX  Extract data.bin to folder 'X'\n"
    "      /ec:\\tremlok extracts everything to c:\\tremlok\n";
