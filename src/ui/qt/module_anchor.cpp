// The gui module is quo_qt linked whole; this file gives the module target a source.
