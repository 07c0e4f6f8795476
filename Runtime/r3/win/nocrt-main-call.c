/* The one place that calls main: in C, where calling it is allowed. The
 * program's main may take two parameters; the third is simply ignored. */
#include <stddef.h>

int main(int argc, char **argv, char **envp);

int rtNoCrtCallMain(int cArgs, char **papszArgs)
{
    return main(cArgs, papszArgs, NULL);
}
