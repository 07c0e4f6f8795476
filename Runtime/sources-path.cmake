# Runtime sources of path syntax and absolute paths: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
