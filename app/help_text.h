// The usage text shown for /? and its box's title.
#ifndef TREMLOK_APP_HELP_TEXT_H
#define TREMLOK_APP_HELP_TEXT_H

// The usage text shown for /?: lines ended by a line feed alone.
extern const char kHelpText[];

// Title of the help message box.
extern const char kHelpTitle[];

#endif
