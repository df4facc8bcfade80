#pragma once
// curses without its function-like macros: they would rewrite calls such as `text.clear()`.
#ifndef NCURSES_NOMACROS
#define NCURSES_NOMACROS
#endif
#include <curses.h>
