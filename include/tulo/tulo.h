/* Umbrella header of the Tulo runtime. */
#ifndef TULO_TULO_H
#define TULO_TULO_H

#include <tulo/cdefs.h>
#include <tulo/types.h>
#include <tulo/err.h>
#include <tulo/string.h>
#include <tulo/utf16.h>
#include <tulo/format.h>
#include <tulo/mem.h>
#include <tulo/message.h>
#include <tulo/errconv.h>
#include <tulo/getopt.h>
#include <tulo/path.h>
#include <tulo/initterm.h>
#include <tulo/time.h>
#include <tulo/thread.h>
#include <tulo/semaphore.h>
#include <tulo/critsect.h>
#include <tulo/list.h>
#include <tulo/once.h>
#include <tulo/rand.h>
#include <tulo/env.h>
#include <tulo/errinfo.h>
#include <tulo/net.h>

#endif
