/*
 * Sequentially consistent atomic operations on 32-bit values and pointers,
 * on the compiler's builtins: lock-free on every target, no library calls.
 */
#ifndef TULO_ATOMIC_INTERNAL_H
#define TULO_ATOMIC_INTERNAL_H

#include <tulo/cdefs.h>

static_assert(__atomic_always_lock_free(sizeof(uint32_t), 0), "32-bit atomics must be lock-free");
static_assert(__atomic_always_lock_free(sizeof(void *), 0), "pointer atomics must be lock-free");

template<typename T> static inline T rtAtomicRead(T volatile *p)
{
    return __atomic_load_n(p, __ATOMIC_SEQ_CST);
}

template<typename T> static inline void rtAtomicWrite(T volatile *p, T v)
{
    __atomic_store_n(p, v, __ATOMIC_SEQ_CST);
}

template<typename T> static inline T rtAtomicXchg(T volatile *p, T v)
{
    return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST);
}

/** Sets *p to vNew when it holds vOld; true when it did. */
template<typename T> static inline bool rtAtomicCmpXchg(T volatile *p, T vNew, T vOld)
{
    return __atomic_compare_exchange_n(p, &vOld, vNew, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
}

/** Adds and returns the new value. */
template<typename T> static inline T rtAtomicAdd(T volatile *p, T v)
{
    return __atomic_add_fetch(p, v, __ATOMIC_SEQ_CST);
}

template<typename T> static inline T rtAtomicInc(T volatile *p)
{
    return __atomic_add_fetch(p, (T)1, __ATOMIC_SEQ_CST);
}

template<typename T> static inline T rtAtomicDec(T volatile *p)
{
    return __atomic_sub_fetch(p, (T)1, __ATOMIC_SEQ_CST);
}

/** Clears bits and returns the old value. */
template<typename T> static inline T rtAtomicAndOld(T volatile *p, T v)
{
    return __atomic_fetch_and(p, v, __ATOMIC_SEQ_CST);
}

template<typename T> static inline T rtAtomicOrOld(T volatile *p, T v)
{
    return __atomic_fetch_or(p, v, __ATOMIC_SEQ_CST);
}

static inline void rtAtomicFullFence(void)
{
    __atomic_thread_fence(__ATOMIC_SEQ_CST);
}

/** Tells the processor that this is a spin-wait loop. */
static inline void rtAtomicPause(void)
{
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#endif
}

#endif
