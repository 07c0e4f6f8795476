/* Test memory whose next page cannot be read: a text placed at its very end
 * faults on any read past its last byte, with or without a sanitizer. */
#ifndef TULO_TESTS_GUARDED_PAGE_H
#define TULO_TESTS_GUARDED_PAGE_H

#include <string.h>
#ifdef _WIN32
# include <windows.h>
#else
# include <sys/mman.h>
# include <unistd.h>
#endif

class GuardedPage
{
public:
    GuardedPage()
    {
#ifdef _WIN32
        SYSTEM_INFO Info;
        GetSystemInfo(&Info);
        m_cbPage = Info.dwPageSize;
        m_pb = (char *)VirtualAlloc(nullptr, 2 * m_cbPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        DWORD fOld;
        if (m_pb && !VirtualProtect(m_pb + m_cbPage, m_cbPage, PAGE_NOACCESS, &fOld))
            m_pb = nullptr;
#else
        m_cbPage = (size_t)sysconf(_SC_PAGESIZE);
        void *pv = mmap(nullptr, 2 * m_cbPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        m_pb = pv == MAP_FAILED ? nullptr : (char *)pv;
        if (m_pb && mprotect(m_pb + m_cbPage, m_cbPage, PROT_NONE) != 0)
            m_pb = nullptr;
#endif
    }
    ~GuardedPage()
    {
#ifdef _WIN32
        if (m_pb)
            VirtualFree(m_pb, 0, MEM_RELEASE);
#else
        if (m_pb)
            munmap(m_pb, 2 * m_cbPage);
#endif
    }
    GuardedPage(const GuardedPage &) = delete;
    GuardedPage &operator=(const GuardedPage &) = delete;

    bool IsValid() const { return m_pb != nullptr; }
    /* Copies cch bytes, without a terminator, to the end of the readable page. */
    const char *Place(const char *pch, size_t cch)
    {
        char *pDst = m_pb + m_cbPage - cch;
        memcpy(pDst, pch, cch);
        return pDst;
    }
    /* Copies the string with its terminator, which becomes the last readable byte. */
    const char *Place(const char *psz)
    {
        return Place(psz, strlen(psz) + 1);
    }
private:
    char  *m_pb = nullptr;
    size_t m_cbPage = 0;
};

#endif
