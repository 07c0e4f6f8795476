# Runtime sources of the text modules: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
