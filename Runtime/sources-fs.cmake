# Runtime sources of special directories, native path forms, files and directories: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
