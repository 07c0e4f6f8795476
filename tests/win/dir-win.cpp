/*
 * Directories on Windows: existence, creation, unique creation, removal,
 * held handles, listings of a tree made here, the path information query
 * with its fallbacks, and the object manager's namespace.
 */
#include <tulo/dir.h>
#include <tulo/file.h>
#include <tulo/pathspecial.h>
#include <tulo/err.h>

#include "r3/win/internal-fs-win.h"
#include "fs-test-util.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include <string.h>
#include <windows.h>

namespace {

TstFaultPlan g_CreateDirPlan;
std::vector<std::wstring> g_aCreateDirNames;
BOOL WINAPI tstFakeCreateDirectoryW(LPCWSTR pwszName, LPSECURITY_ATTRIBUTES pSecAttr)
{
    g_aCreateDirNames.push_back(pwszName);
    if (g_CreateDirPlan.fails())
        return FALSE;
    return CreateDirectoryW(pwszName, pSecAttr);
}

TstFaultPlan g_SetAttrPlan;
std::vector<DWORD> g_afSetAttr;
BOOL WINAPI tstFakeSetFileAttributesW(LPCWSTR pwszName, DWORD fAttr)
{
    g_afSetAttr.push_back(fAttr);
    if (g_SetAttrPlan.fails())
        return FALSE;
    return SetFileAttributesW(pwszName, fAttr);
}

/** Native entries forced to fail with a given status, to drive the path
 * query down its fallbacks. */
NTSTATUS g_rcNtFullAttrFake;
NTSTATUS NTAPI tstFakeNtQueryFullAttributesFile(POBJECT_ATTRIBUTES, PFILE_NETWORK_OPEN_INFORMATION)
{
    return g_rcNtFullAttrFake;
}

decltype(&NtCreateFile) g_pfnRealNtCreateFile;
NTSTATUS g_rcNtCreateFake;
/** Fails the opens without directory-only option (the object itself), not the parent's. */
NTSTATUS NTAPI tstFakeNtCreateFile(PHANDLE ph, ACCESS_MASK fAccess, POBJECT_ATTRIBUTES pObjAttr, PIO_STATUS_BLOCK pIos,
                                   PLARGE_INTEGER pcbAlloc, ULONG fAttr, ULONG fShare, ULONG uDisp, ULONG fOptions,
                                   PVOID pvEa, ULONG cbEa)
{
    if (!(fOptions & FILE_DIRECTORY_FILE))
        return g_rcNtCreateFake;
    return g_pfnRealNtCreateFile(ph, fAccess, pObjAttr, pIos, pcbAlloc, fAttr, fShare, uDisp, fOptions, pvEa, cbEa);
}

void tstResetFakes()
{
    g_CreateDirPlan = TstFaultPlan();
    g_SetAttrPlan   = TstFaultPlan();
    g_aCreateDirNames.clear();
    g_afSetAttr.clear();
}

uint64_t tstFileIdByHandle(const std::string &strPath)
{
    RTFILE hFile = NIL_RTFILE;
    if (RT_FAILURE(RTFileOpen(&hFile, strPath.c_str(), RTFILE_O_ACCESS_ATTR_READ | RTFILE_O_DENY_NONE)))
        return 0;
    RTFSOBJINFO Info;
    int rc = RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_UNIX);
    RTFileClose(hFile);
    return RT_SUCCESS(rc) ? Info.Attr.u.Unix.INodeId : 0;
}

} /* namespace */

/*
 * Creation and removal.
 */

TEST(DirCreate, ResultsTable)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    ASSERT_TRUE(TstWriteFile(Dir.sub("file"), "x"));
    static const struct
    {
        const char *pszName;
        RTFMODE     fMode;
        uint32_t    fCreate;
        int         rc;
        bool        fDirAfter;
    } s_aCases[] =
    {
        { "new",               0700,                                         0,   VINF_SUCCESS,        true },
        { "new",               0700,                                         0,   VERR_ALREADY_EXISTS, true },
        { "file",              0700,                                         0,   VERR_ALREADY_EXISTS, false },
        { "missing\\child",    0700,                                         0,   VERR_PATH_NOT_FOUND, false },
        { "badmode",           RTFS_TYPE_FILE | RTFS_DOS_DIRECTORY | 0700,   0,   VERR_INVALID_FMODE,  false },
        { "badflags",          0700,                                         0x1, VERR_INVALID_FLAGS,  false },
        { "ro",                0500,                                         0,   VINF_SUCCESS,        true },
        { TSTW_UNICODE_NAME,   0755,                                         RTDIRCREATE_FLAGS_NOT_CONTENT_INDEXED_DONT_SET, VINF_SUCCESS, true },
    };
    for (auto const &Case : s_aCases)
    {
        std::string const strPath = Dir.sub(Case.pszName);
        EXPECT_EQ(RTDirCreate(strPath.c_str(), Case.fMode, Case.fCreate), Case.rc) << Case.pszName;
        EXPECT_EQ(TstIsDir(strPath), Case.fDirAfter) << Case.pszName;
    }
}

TEST(DirCreate, NotContentIndexedAttribute)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    TstSysRestore Restore;
    tstResetFakes();
    g_rtWinFsSys.pfnSetFileAttributesW = tstFakeSetFileAttributesW;
    static const struct
    {
        uint32_t fCreate;
        bool     fFail;
        int      rc;
        size_t   cCalls;
    } s_aCases[] =
    {
        { 0,                                                   false, VINF_SUCCESS,       1 },
        { RTDIRCREATE_FLAGS_NOT_CONTENT_INDEXED_DONT_SET,      false, VINF_SUCCESS,       0 },
        { 0,                                                   true,  VERR_ACCESS_DENIED, 1 },
        { RTDIRCREATE_FLAGS_NOT_CONTENT_INDEXED_NOT_CRITICAL,  true,  VINF_SUCCESS,       1 },
    };
    unsigned i = 0;
    for (auto const &Case : s_aCases)
    {
        tstResetFakes();
        if (Case.fFail)
        {
            g_SetAttrPlan.failFrom(1, ERROR_ACCESS_DENIED);
        }
        std::string const strPath = Dir.sub("nci-" + std::to_string(i));
        EXPECT_EQ(RTDirCreate(strPath.c_str(), 0700, Case.fCreate), Case.rc) << i;
        EXPECT_EQ(g_afSetAttr.size(), Case.cCalls) << i;
        if (Case.cCalls)
        {
            EXPECT_EQ(g_afSetAttr[0], (DWORD)FILE_ATTRIBUTE_NOT_CONTENT_INDEXED) << i;
        }
        /* The directory stays even when marking it failed. */
        EXPECT_TRUE(TstIsDir(strPath)) << i;
        i++;
    }
}

TEST(DirCreate, UniqueFromTemplate)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strPrefix = Dir.path() + "\\";
    std::vector<char> ab = TstBuf(strPrefix + "XXXXXXXXXXXXXXXXXXXXXXXX");
    ASSERT_EQ(RTDirCreateTemp(ab.data(), 0700), VINF_SUCCESS);
    std::string const strName = ab.data();
    ASSERT_EQ(strName.size(), strPrefix.size() + 24);
    std::string const strRun = strName.substr(strPrefix.size());
    EXPECT_EQ(strRun.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"), std::string::npos) << strRun;
    EXPECT_TRUE(TstIsDir(strName));
    EXPECT_TRUE(RTDirExists(strName.c_str()));

    /* Two runs differ (36^24 names). */
    std::vector<char> ab2 = TstBuf(strPrefix + "XXXXXXXXXXXXXXXXXXXXXXXX");
    ASSERT_EQ(RTDirCreateTemp(ab2.data(), 0700), VINF_SUCCESS);
    EXPECT_STRNE(ab.data(), ab2.data());

    std::vector<char> abBad = TstBuf(strPrefix + "XX.d");
    EXPECT_EQ(RTDirCreateTemp(abBad.data(), 0700), VERR_INVALID_PARAMETER);
    EXPECT_EQ(abBad[0], '\0');
}

TEST(DirFaults, UniqueRetriesOnlyOnClash)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    TstSysRestore Restore;
    tstResetFakes();
    g_rtWinFsSys.pfnCreateDirectoryW = tstFakeCreateDirectoryW;

    g_CreateDirPlan.failFrom(1, ERROR_ALREADY_EXISTS, 2);
    std::vector<char> ab = TstBuf(Dir.sub("dXXXXXXXXXX"));
    ASSERT_EQ(RTDirCreateTemp(ab.data(), 0700), VINF_SUCCESS);
    ASSERT_EQ(g_aCreateDirNames.size(), 3u);
    EXPECT_NE(g_aCreateDirNames[0], g_aCreateDirNames[1]);
    EXPECT_EQ(g_aCreateDirNames[2], TstU8ToW(ab.data()));
    EXPECT_TRUE(TstIsDir(ab.data()));

    /* A missing parent ends it after one attempt. */
    tstResetFakes();
    std::vector<char> abMissing = TstBuf(Dir.sub("missing\\XXXXXXXXXXXXXXXXXXXXXXXX"));
    EXPECT_EQ(RTDirCreateTemp(abMissing.data(), 0700), VERR_PATH_NOT_FOUND);
    EXPECT_EQ(g_aCreateDirNames.size(), 1u);
    EXPECT_EQ(abMissing[0], '\0');
}

TEST(DirRemove, ResultsTable)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    ASSERT_TRUE(CreateDirectoryW(TstLongW(Dir.sub("full")).c_str(), nullptr));
    ASSERT_TRUE(TstWriteFile(Dir.sub("full\\f"), "x"));
    ASSERT_TRUE(CreateDirectoryW(TstLongW(Dir.sub("empty")).c_str(), nullptr));
    EXPECT_EQ(RTDirRemove(Dir.sub("full").c_str()), VERR_DIR_NOT_EMPTY);
    EXPECT_TRUE(TstIsDir(Dir.sub("full")));
    EXPECT_EQ(RTDirRemove(Dir.sub("empty").c_str()), VINF_SUCCESS);
    EXPECT_FALSE(TstExists(Dir.sub("empty")));
    int rc = RTDirRemove(Dir.sub("empty").c_str());
    EXPECT_TRUE(rc == VERR_FILE_NOT_FOUND || rc == VERR_PATH_NOT_FOUND) << rc;
    rc = RTDirRemove(Dir.sub("no\\such").c_str());
    EXPECT_TRUE(rc == VERR_FILE_NOT_FOUND || rc == VERR_PATH_NOT_FOUND) << rc;
}

TEST(DirExists, Table)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    ASSERT_TRUE(TstWriteFile(Dir.sub("file.txt"), "x"));
    ASSERT_TRUE(CreateDirectoryW(TstLongW(Dir.sub(TSTW_UNICODE_NAME)).c_str(), nullptr));
    static const struct
    {
        const char *pszRel;  /* nullptr: the absolute path below */
        const char *pszAbs;
        bool        fExists;
    } s_aCases[] =
    {
        { "",                     nullptr, true },
        { TSTW_UNICODE_NAME,      nullptr, true },
        { TSTW_UNICODE_NAME "\\", nullptr, true },
        { "file.txt",             nullptr, false },
        { "missing",              nullptr, false },
        { "missing\\deeper",      nullptr, false },
        { nullptr,                "C:\\",  true },
        { nullptr,                "",      false },
    };
    for (auto const &Case : s_aCases)
    {
        std::string const strPath = Case.pszRel ? (*Case.pszRel ? Dir.sub(Case.pszRel) : Dir.path()) : Case.pszAbs;
        EXPECT_EQ(RTDirExists(strPath.c_str()), Case.fExists) << strPath;
    }
    EXPECT_FALSE(RTDirExists(nullptr));
}

/*
 * Handles.
 */

TEST(DirOpen, HandleBlocksRemoveAndMove)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strDir = Dir.sub("held " TSTW_UNICODE_NAME);
    ASSERT_EQ(RTDirCreate(strDir.c_str(), 0700, 0), VINF_SUCCESS);

    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(RTDirOpen(&hDir, strDir.c_str()), VINF_SUCCESS);
    EXPECT_TRUE(RTDirIsValid(hDir));
    EXPECT_EQ(RTDirRemove(strDir.c_str()), VERR_SHARING_VIOLATION);
    EXPECT_FALSE(MoveFileW(TstLongW(strDir).c_str(), TstLongW(strDir + "-moved").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(TstIsDir(strDir));
    /* Files inside may still be made: the handle shares reading and writing. */
    EXPECT_TRUE(TstWriteFile(strDir + "\\inside", "x"));
    EXPECT_TRUE(DeleteFileW(TstLongW(strDir + "\\inside").c_str()));

    EXPECT_EQ(RTDirClose(hDir), VINF_SUCCESS);
    EXPECT_FALSE(RTDirIsValid(hDir)) << "record freed; the magic check must not pass";
    EXPECT_EQ(RTDirRemove(strDir.c_str()), VINF_SUCCESS);
}

TEST(DirOpen, ArgumentsAndFailures)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    ASSERT_TRUE(TstWriteFile(Dir.sub("file"), "x"));
    RTDIR hDir = NIL_RTDIR;
    EXPECT_EQ(RTDirOpen(nullptr, Dir.path().c_str()), VERR_INVALID_POINTER);
    EXPECT_EQ(RTDirOpen(&hDir, nullptr), VERR_INVALID_POINTER);
    int rc = RTDirOpen(&hDir, Dir.sub("missing").c_str());
    EXPECT_TRUE(rc == VERR_FILE_NOT_FOUND || rc == VERR_PATH_NOT_FOUND) << rc;
    EXPECT_EQ(hDir, NIL_RTDIR);
    /* The stored path ends in a separator: Wine then calls the name invalid
     * where Windows reports that it is no directory. */
    rc = RTDirOpen(&hDir, Dir.sub("file").c_str());
    EXPECT_TRUE(rc == VERR_NOT_A_DIRECTORY || rc == VERR_INVALID_NAME) << rc;
    EXPECT_EQ(hDir, NIL_RTDIR);
    EXPECT_FALSE(RTDirIsValid(nullptr));
    EXPECT_FALSE(RTDirIsValid((RTDIR)(uintptr_t)16));
    EXPECT_EQ(RTDirClose(nullptr), VERR_INVALID_PARAMETER);

    /* A relative path is made absolute against the current directory. */
    wchar_t wszOld[MAX_PATH * 4];
    GetCurrentDirectoryW(RT_ELEMENTS(wszOld), wszOld);
    ASSERT_TRUE(SetCurrentDirectoryW(TstU8ToW(Dir.path()).c_str()));
    ASSERT_TRUE(CreateDirectoryW(L"rel", nullptr));
    rc = RTDirOpen(&hDir, "rel");
    SetCurrentDirectoryW(wszOld);
    ASSERT_EQ(rc, VINF_SUCCESS);
    EXPECT_EQ(RTDirRemove(Dir.sub("rel").c_str()), VERR_SHARING_VIOLATION);
    EXPECT_EQ(RTDirClose(hDir), VINF_SUCCESS);
}

TEST(DirOpen, CloseTwiceIsRefused)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    /* The close marks the record dead before freeing it; the freed block of
     * the process heap stays readable, so the second close sees the dead
     * magic and frees nothing twice. */
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(RTDirOpen(&hDir, Dir.path().c_str()), VINF_SUCCESS);
    EXPECT_EQ(RTDirClose(hDir), VINF_SUCCESS);
    EXPECT_EQ(RTDirClose(hDir), VERR_INVALID_PARAMETER);
}

/*
 * Listings.
 */

TEST(DirRead, TreeListing)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strRoot = Dir.sub("tree");
    ASSERT_EQ(RTDirCreate(strRoot.c_str(), 0700, 0), VINF_SUCCESS);
    std::string const strLongName = std::string(200, 'L') + ".dat";
    std::map<std::string, std::pair<RTDIRENTRYTYPE, int64_t>> mapExpected =
    {
        { "a.txt",                    { RTDIRENTRYTYPE_FILE, 3 } },
        { TSTW_UNICODE_NAME ".bin",   { RTDIRENTRYTYPE_FILE, 10 } },
        { strLongName,                { RTDIRENTRYTYPE_FILE, 0 } },
        { "prog.exe",                 { RTDIRENTRYTYPE_FILE, 1 } },
        { "sub",                      { RTDIRENTRYTYPE_DIRECTORY, -1 } },
        { "sub " TSTW_UNICODE_NAME,   { RTDIRENTRYTYPE_DIRECTORY, -1 } },
    };
    for (unsigned i = 0; i < 300; i++)
        mapExpected["many-" + std::to_string(i) + ".f"] = { RTDIRENTRYTYPE_FILE, (int64_t)(i % 7) };
    for (auto const &Entry : mapExpected)
    {
        std::string const strPath = strRoot + "\\" + Entry.first;
        if (Entry.second.first == RTDIRENTRYTYPE_DIRECTORY)
        {
            ASSERT_TRUE(CreateDirectoryW(TstLongW(strPath).c_str(), nullptr));
        }
        else
        {
            ASSERT_TRUE(TstWriteFile(strPath, std::string((size_t)Entry.second.second, 'z')));
        }
    }
    ASSERT_TRUE(TstWriteFile(strRoot + "\\sub\\nested", "not listed"));

    /* Names and types, each entry exactly once. */
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(RTDirOpen(&hDir, strRoot.c_str()), VINF_SUCCESS);
    std::map<std::string, RTDIRENTRYTYPE> mapSeen;
    for (;;)
    {
        union
        {
            RTDIRENTRY Entry;
            char       ab[sizeof(RTDIRENTRY) + 1024];
        } u;
        size_t cbEntry = sizeof(u);
        int rc = RTDirRead(hDir, &u.Entry, &cbEntry);
        if (rc == VERR_NO_MORE_FILES)
            break;
        ASSERT_EQ(rc, VINF_SUCCESS);
        std::string const strName = u.Entry.szName;
        EXPECT_EQ(u.Entry.cbName, strName.size());
        EXPECT_EQ(cbEntry, offsetof(RTDIRENTRY, szName) + strName.size() + 1);
        if (strName == "." || strName == "..")
            continue;
        EXPECT_EQ(mapSeen.count(strName), 0u) << "twice: " << strName;
        mapSeen[strName] = u.Entry.enmType;
    }
    EXPECT_EQ(RTDirRead(hDir, nullptr, nullptr), VERR_INVALID_POINTER);
    RTDIRENTRY Entry;
    EXPECT_EQ(RTDirRead(hDir, &Entry, nullptr), VERR_NO_MORE_FILES) << "the end stays the end";
    EXPECT_EQ(RTDirClose(hDir), VINF_SUCCESS);
    ASSERT_EQ(mapSeen.size(), mapExpected.size());
    for (auto const &Exp : mapExpected)
        EXPECT_EQ(mapSeen[Exp.first], Exp.second.first) << Exp.first;

    /* With information: sizes, modes, and the same file ids as open handles report. */
    ASSERT_EQ(RTDirOpen(&hDir, strRoot.c_str()), VINF_SUCCESS);
    unsigned cChecked = 0;
    for (;;)
    {
        union
        {
            RTDIRENTRYEX Entry;
            char         ab[sizeof(RTDIRENTRYEX) + 1024];
        } u;
        size_t cbEntry = sizeof(u);
        int rc = RTDirReadEx(hDir, &u.Entry, &cbEntry, RTFSOBJATTRADD_UNIX, RTPATH_F_ON_LINK);
        if (rc == VERR_NO_MORE_FILES)
            break;
        ASSERT_EQ(rc, VINF_SUCCESS);
        std::string const strName = u.Entry.szName;
        if (strName == "." || strName == "..")
            continue;
        auto const &Exp = mapExpected.at(strName);
        if (Exp.first == RTDIRENTRYTYPE_DIRECTORY)
        {
            EXPECT_EQ(u.Entry.Info.Attr.fMode & RTFS_TYPE_MASK, RTFS_TYPE_DIRECTORY) << strName;
        }
        else
        {
            EXPECT_EQ(u.Entry.Info.Attr.fMode & RTFS_TYPE_MASK, RTFS_TYPE_FILE) << strName;
            EXPECT_EQ(u.Entry.Info.cbObject, Exp.second) << strName;
        }
        EXPECT_EQ(u.Entry.Info.Attr.enmAdditional, RTFSOBJATTRADD_UNIX);
        if (strName == "prog.exe" || strName == "a.txt" || strName == TSTW_UNICODE_NAME ".bin")
        {
            EXPECT_EQ(u.Entry.Info.Attr.fMode & 0111, strName == "prog.exe" ? 0111u : 0u) << strName;
            uint64_t const idHandle = tstFileIdByHandle(strRoot + "\\" + strName);
            EXPECT_NE(idHandle, 0u);
            EXPECT_EQ(u.Entry.Info.Attr.u.Unix.INodeId, idHandle) << strName;
            cChecked++;
        }
    }
    EXPECT_EQ(cChecked, 3u);
    EXPECT_EQ(RTDirClose(hDir), VINF_SUCCESS);
}

TEST(DirRead, SmallRecordKeepsTheEntry)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strRoot = Dir.sub("small");
    ASSERT_EQ(RTDirCreate(strRoot.c_str(), 0700, 0), VINF_SUCCESS);
    /* 80 three-byte characters: 240 bytes of UTF-8 (Wine keeps at most 255
     * bytes of a name on Unix file systems; Windows would take 255 units). */
    std::string strName;
    for (unsigned i = 0; i < 80; i++)
        strName += "\xe4\xb8\xad";
    ASSERT_TRUE(TstWriteFile(strRoot + "\\" + strName, "x"));

    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(RTDirOpen(&hDir, strRoot.c_str()), VINF_SUCCESS);
    size_t const cbNeeded = offsetof(RTDIRENTRY, szName) + strName.size() + 1;
    std::vector<char> ab(cbNeeded + 16);
    PRTDIRENTRY pEntry = (PRTDIRENTRY)ab.data();
    bool fFound = false;
    for (;;)
    {
        /* A record sized for short names first. */
        size_t cbEntry = offsetof(RTDIRENTRY, szName) + 100;
        int rc = RTDirRead(hDir, pEntry, &cbEntry);
        if (rc == VERR_NO_MORE_FILES)
            break;
        if (rc == VERR_BUFFER_OVERFLOW)
        {
            EXPECT_EQ(cbEntry, cbNeeded);
            size_t cbBig = cbNeeded - 1;
            EXPECT_EQ(RTDirRead(hDir, pEntry, &cbBig), VERR_BUFFER_OVERFLOW) << "one byte short";
            cbBig = cbNeeded;
            ASSERT_EQ(RTDirRead(hDir, pEntry, &cbBig), VINF_SUCCESS);
            EXPECT_EQ(std::string(pEntry->szName), strName);
            EXPECT_EQ(pEntry->cbName, strName.size());
            fFound = true;
            continue;
        }
        ASSERT_EQ(rc, VINF_SUCCESS);
        EXPECT_TRUE(!strcmp(pEntry->szName, ".") || !strcmp(pEntry->szName, "..")) << pEntry->szName;
    }
    EXPECT_TRUE(fFound);
    EXPECT_EQ(RTDirClose(hDir), VINF_SUCCESS);
}

TEST(DirRead, ObjectManagerNamespace)
{
    /* The raw native marker reaches the object manager's root directory. */
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(RTDirOpen(&hDir, "\\\\:tulont:\\"), VINF_SUCCESS);
    std::map<std::string, RTDIRENTRYTYPE> mapSeen;
    for (unsigned i = 0; i < 1000; i++)
    {
        RTDIRENTRY Entry;
        int rc = RTDirRead(hDir, &Entry, nullptr);
        if (rc == VERR_NO_MORE_FILES)
            break;
        ASSERT_EQ(rc, VINF_SUCCESS);
        mapSeen[Entry.szName] = Entry.enmType;
    }
    EXPECT_EQ(RTDirClose(hDir), VINF_SUCCESS);
    ASSERT_EQ(mapSeen.count("Device"), 1u);
    EXPECT_EQ(mapSeen["Device"], RTDIRENTRYTYPE_DIRECTORY);

    RTFSOBJINFO Info;
    ASSERT_EQ(RTPathQueryInfoEx("\\\\:tulont:\\", &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK), VINF_SUCCESS);
    EXPECT_EQ(Info.Attr.fMode, UINT32_C(0x1041ff));
    ASSERT_EQ(RTPathQueryInfoEx("\\\\:tulont:\\Device", &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK), VINF_SUCCESS);
    EXPECT_EQ(Info.Attr.fMode & RTFS_TYPE_MASK, RTFS_TYPE_DIRECTORY);
    EXPECT_EQ(RTPathQueryInfoEx("\\\\:tulont:\\NoSuchObjectHere", &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK),
              VERR_FILE_NOT_FOUND);
}

/*
 * Path information.
 */

TEST(PathQueryInfo, ObjectsAndArguments)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strFile = Dir.sub("q " TSTW_UNICODE_NAME ".exe");
    ASSERT_TRUE(TstWriteFile(strFile, "12345678"));
    RTFSOBJINFO Info;

    ASSERT_EQ(RTPathQueryInfoEx(strFile.c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK), VINF_SUCCESS);
    EXPECT_EQ(Info.cbObject, 8);
    EXPECT_EQ(Info.Attr.fMode & (RTFS_TYPE_MASK | RTFS_UNIX_ALL_PERMS), RTFS_TYPE_FILE | 0777u);
    EXPECT_EQ(Info.Attr.enmAdditional, RTFSOBJATTRADD_NOTHING);
    ASSERT_EQ(RTPathQueryInfoEx(strFile.c_str(), &Info, RTFSOBJATTRADD_UNIX, RTPATH_F_ON_LINK), VINF_SUCCESS);
    EXPECT_EQ(Info.Attr.u.Unix.INodeId, tstFileIdByHandle(strFile));
    EXPECT_NE(Info.Attr.u.Unix.INodeId, 0u);
    EXPECT_EQ(Info.Attr.u.Unix.uid, NIL_RTUID);

    ASSERT_EQ(RTPathQueryInfoEx(Dir.path().c_str(), &Info, RTFSOBJATTRADD_EASIZE, RTPATH_F_ON_LINK), VINF_SUCCESS);
    EXPECT_EQ(Info.Attr.fMode & RTFS_TYPE_MASK, RTFS_TYPE_DIRECTORY);
    EXPECT_TRUE(Info.Attr.fMode & RTFS_DOS_DIRECTORY);
    EXPECT_EQ(Info.Attr.u.EASize.cb, 0);
    ASSERT_EQ(RTPathQueryInfoEx((Dir.path() + "\\").c_str(), &Info, RTFSOBJATTRADD_UNIX_OWNER, RTPATH_F_ON_LINK),
              VINF_SUCCESS);
    EXPECT_EQ(Info.Attr.fMode & RTFS_TYPE_MASK, RTFS_TYPE_DIRECTORY);
    EXPECT_EQ(Info.Attr.u.UnixOwner.uid, NIL_RTUID);

    EXPECT_EQ(RTPathQueryInfoEx(Dir.sub("missing").c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK),
              VERR_FILE_NOT_FOUND);
    EXPECT_EQ(RTPathQueryInfoEx(Dir.sub("missing\\x").c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK),
              VERR_PATH_NOT_FOUND);

    static const struct
    {
        RTFSOBJATTRADD enmAdd;
        uint32_t       fFlags;
    } s_aBad[] =
    {
        { (RTFSOBJATTRADD)0, RTPATH_F_ON_LINK },
        { (RTFSOBJATTRADD)6, RTPATH_F_ON_LINK },
        { RTFSOBJATTRADD_NOTHING, 0 },
        { RTFSOBJATTRADD_NOTHING, 3 },
        { RTFSOBJATTRADD_NOTHING, 4 },
        { RTFSOBJATTRADD_NOTHING, 8 },
        { RTFSOBJATTRADD_NOTHING, 7 },
    };
    for (auto const &Bad : s_aBad)
        EXPECT_EQ(RTPathQueryInfoEx(strFile.c_str(), &Info, Bad.enmAdd, Bad.fFlags), VERR_INVALID_PARAMETER)
            << Bad.enmAdd << " " << Bad.fFlags;
    EXPECT_EQ(RTPathQueryInfoEx(strFile.c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK | RTPATH_F_NO_SYMLINKS),
              VINF_SUCCESS);
    EXPECT_EQ(RTPathQueryInfoEx("", &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTPathQueryInfoEx(nullptr, &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathQueryInfoEx(strFile.c_str(), nullptr, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK), VERR_INVALID_POINTER);
}

TEST(PathQueryInfo, FallbacksAgree)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strFile = Dir.sub("fallback " TSTW_UNICODE_NAME ".txt");
    ASSERT_TRUE(TstWriteFile(strFile, std::string(4321, 'f')));
    uint64_t const idFile = tstFileIdByHandle(strFile);
    ASSERT_NE(idFile, 0u);

    /* Each row makes the earlier steps fail as a busy or protected file would;
     * every way through must describe the same file. */
    static const struct
    {
        bool     fNoFullAttr;
        NTSTATUS rcFullAttr;
        NTSTATUS rcOpen;    /* 0: the open works */
    } s_aCases[] =
    {
        { false, (NTSTATUS)0xC0000022L, 0 },                        /* attribute query refused: open */
        { false, (NTSTATUS)0xC0000043L, (NTSTATUS)0xC0000043L },    /* busy everywhere: parent listing */
        { true,  0,                     (NTSTATUS)0xC0000022L },    /* no attribute query, open refused */
    };
    TstSysRestore Restore;
    for (auto const &Case : s_aCases)
    {
        rtWinFsSysReset();
        if (Case.fNoFullAttr)
            g_rtWinFsSys.pfnNtQueryFullAttributesFile = nullptr;
        else
        {
            g_rcNtFullAttrFake = Case.rcFullAttr;
            g_rtWinFsSys.pfnNtQueryFullAttributesFile = tstFakeNtQueryFullAttributesFile;
        }
        if (Case.rcOpen)
        {
            g_rcNtCreateFake = Case.rcOpen;
            g_pfnRealNtCreateFile = g_rtWinFsSys.pfnNtCreateFile;
            g_rtWinFsSys.pfnNtCreateFile = tstFakeNtCreateFile;
        }
        RTFSOBJINFO Info;
        memset(&Info, 0xcc, sizeof(Info));
        ASSERT_EQ(RTPathQueryInfoEx(strFile.c_str(), &Info, RTFSOBJATTRADD_UNIX, RTPATH_F_ON_LINK), VINF_SUCCESS)
            << std::hex << Case.rcFullAttr << " " << Case.rcOpen;
        EXPECT_EQ(Info.cbObject, 4321);
        EXPECT_EQ(Info.Attr.fMode & RTFS_TYPE_MASK, RTFS_TYPE_FILE);
        EXPECT_EQ(Info.Attr.u.Unix.INodeId, idFile) << std::hex << Case.rcOpen;
        EXPECT_EQ(Info.Attr.u.Unix.uid, NIL_RTUID);
        EXPECT_GE(Info.Attr.u.Unix.cHardlinks, 1u);
        /* Kinds without the Unix part may take the cheap query when it is there. */
        memset(&Info, 0xcc, sizeof(Info));
        ASSERT_EQ(RTPathQueryInfoEx(strFile.c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK), VINF_SUCCESS);
        EXPECT_EQ(Info.cbObject, 4321);
    }

    /* A status the query does not know how to get around is reported. */
    rtWinFsSysReset();
    g_rcNtFullAttrFake = (NTSTATUS)0xC000003AL; /* path not found */
    g_rtWinFsSys.pfnNtQueryFullAttributesFile = tstFakeNtQueryFullAttributesFile;
    RTFSOBJINFO Info;
    EXPECT_EQ(RTPathQueryInfoEx(strFile.c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_ON_LINK), VERR_PATH_NOT_FOUND);
}

TEST(PathQueryInfo, LongPath)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string strDir = Dir.path();
    for (unsigned i = 0; i < 5; i++)
    {
        strDir += "\\" + std::string(60, (char)('p' + i)) + TSTW_UNICODE_NAME;
        ASSERT_EQ(RTDirCreate(strDir.c_str(), 0700, 0), VINF_SUCCESS) << i;
    }
    ASSERT_GT(TstU8ToW(strDir).size(), 300u);
    EXPECT_TRUE(RTDirExists(strDir.c_str()));
    std::vector<char> ab = TstBuf(strDir + "\\XXXXXXXXXXXX");
    ASSERT_EQ(RTDirCreateTemp(ab.data(), 0700), VINF_SUCCESS);
    EXPECT_TRUE(RTDirExists(ab.data()));
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(RTDirOpen(&hDir, strDir.c_str()), VINF_SUCCESS);
    unsigned cEntries = 0;
    RTDIRENTRY Entry;
    while (RTDirRead(hDir, &Entry, nullptr) == VINF_SUCCESS)
        if (strcmp(Entry.szName, ".") && strcmp(Entry.szName, ".."))
        {
            cEntries++;
            EXPECT_EQ(std::string(Entry.szName), std::string(ab.data()).substr(strDir.size() + 1));
        }
    EXPECT_EQ(cEntries, 1u);
    EXPECT_EQ(RTDirClose(hDir), VINF_SUCCESS);
    EXPECT_EQ(RTDirRemove(ab.data()), VINF_SUCCESS);
    EXPECT_FALSE(RTDirExists(ab.data()));
}
