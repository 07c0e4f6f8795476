# Windows-side tests of the standard streams and tool messages: tulo_add_win_test(<name> <sources...>)
tulo_add_win_test(tstw-stream stream-win.cpp)

# Started by tstw-stream with its standard output in a file: the buffering
# and the write at exit of a program without the C runtime.
add_executable(tstw-stream-nocrt stream-nocrt.cpp)
target_include_directories(tstw-stream-nocrt PRIVATE ${CMAKE_SOURCE_DIR}/Runtime)
target_compile_options(tstw-stream-nocrt PRIVATE ${KELB_NO_EH_RTTI} -fno-stack-protector)
target_link_libraries(tstw-stream-nocrt PRIVATE tulo-nocrt)
add_dependencies(tstw-stream tstw-stream-nocrt)
