# Runtime sources of the format modules: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
