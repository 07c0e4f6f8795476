# Windows-side tests of runtime initialisation, the native loader and the
# launcher's lazily bound libraries: tulo_add_win_test(<name> <sources...>)
tulo_add_win_test(tstw-init init-win.cpp)
tulo_add_win_test(tstw-ldr ldrNative-win.cpp)

# The launcher's binders and messages, linked as the launcher links them: the
# program must not import user32 itself, or "no box, no user32" cannot fail.
tulo_add_win_test(tstw-KelbStubLazy KelbStubLazy-win.cpp
  ${CMAKE_SOURCE_DIR}/Installer/win/Stub/KelbStubLazy.cpp ${CMAKE_SOURCE_DIR}/Installer/win/Stub/KelbStubMessages.cpp)
target_compile_definitions(tstw-KelbStubLazy PRIVATE ${KELB_STUB_DEFINITIONS})
target_include_directories(tstw-KelbStubLazy PRIVATE ${CMAKE_SOURCE_DIR}/Installer/win/Stub)

# Neither the launcher nor the test program may import a lazily bound library;
# kernel32 must show up, so that an empty listing cannot pass.
set(KELB_OBJDUMP ${KELB_MINGW_TRIPLE}-objdump)
foreach(target IN ITEMS KelbStub tstw-KelbStubLazy)
  add_test(NAME imports.${target} COMMAND ${KELB_OBJDUMP} -p $<TARGET_FILE:${target}>)
  set_tests_properties(imports.${target} PROPERTIES
    PASS_REGULAR_EXPRESSION "DLL Name: [Kk][Ee][Rr][Nn][Ee][Ll]32"
    FAIL_REGULAR_EXPRESSION "DLL Name: ([Uu][Ss][Ee][Rr]32|[Mm][Ss][Ii]\\.|[Cc][Rr][Yy][Pp][Tt]32|[Ss][Hh][Ee][Ll][Ll]32)")
endforeach()
