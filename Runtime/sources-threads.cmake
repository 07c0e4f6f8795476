# Runtime sources of the threads modules: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)

# Portable: the calendar breakdown and the Park-Miller generator are also
# built for the host, where their unit tests run.
list(APPEND TULO_SOURCES
  common/time/time.cpp
  common/rand/randadv.cpp
  common/rand/randparkmiller.cpp
)

# Threads, locks, run-once, clocks, the process-wide generator and the
# environment need the Windows platform.
if(WIN32)
  list(APPEND TULO_SOURCES
    common/misc/thread.cpp
    common/misc/once.cpp
    common/rand/rand.cpp
    common/time/timeprog.cpp
    generic/critsect-generic.cpp
    generic/semrw-generic.cpp
    generic/semfastmutex-generic.cpp
    r3/generic/semspinmutex-r3-generic.cpp
    nt/semwait-nt.cpp
    nt/semevent-nt.cpp
    nt/semeventmulti-nt.cpp
    r3/win/thread-win.cpp
    r3/win/time-win.cpp
    r3/win/env-win.cpp
  )
endif()
