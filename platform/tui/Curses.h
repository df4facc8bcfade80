#pragma once
// Wide-character curses (ncursesw), without its function-like macros: they would rewrite calls
// such as `text.clear()`.
#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#ifndef NCURSES_NOMACROS
#define NCURSES_NOMACROS
#endif
#include <curses.h>
