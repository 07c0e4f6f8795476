# Runtime sources of path syntax and absolute paths: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
list(APPEND TULO_SOURCES
  common/path/RTPathParse.cpp
  common/path/RTPathParsedReassemble.cpp
  common/path/RTPathAbsEx.cpp
  common/path/RTPathAbs.cpp
  common/path/RTPathAbsExDup.cpp
  common/path/RTPathAppend.cpp
  common/path/RTPathJoin.cpp
  common/path/RTPathJoinA.cpp
  common/path/RTPathFilename.cpp
  common/path/RTPathSuffix.cpp
  common/path/RTPathStartsWithRoot.cpp
  common/path/RTPathChangeToDosSlashes.cpp
  common/path/RTPathEnsureTrailingSeparator.cpp
)
# The current-directory queries of a Unix host; the Windows ones live with the
# Windows path queries.
if(NOT WIN32)
  list(APPEND TULO_SOURCES r3/posix/path-posix.cpp)
endif()
