# Runtime sources of the threads modules: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
