// No batch files are run on POSIX: the text stays as it is.
#include "platform/oem_text.h"

#include <string.h>

char* OemCodePageText(const char* text)
{
    return strdup(text);
}
