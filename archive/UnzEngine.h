/* The records the archive component and the unzip engine libunzeng.so
 * exchange: the extraction request, the callback record, the action numbers,
 * the engine's message codes and the exported function types.
 *
 * Every field is a 32-bit little-endian integer except the pointer fields,
 * which have the platform's pointer width. The records use natural C
 * alignment, so on a 32-bit platform they have the classic packed layout and
 * on a 64-bit platform every pointer widens to 8 bytes and moves to an
 * 8-aligned offset. The offsets of both layouts are listed beside each field
 * and checked below. Whoever fills a request clears the whole record first
 * (memset 0), so reserved fields and padding are zero.
 *
 * This header compiles as C and as C++. */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The callback record handed to the component for every report.
 *                                    32-bit   64-bit */
typedef struct UnzCallbackInfo {
  void* OwnerWindow;     /*  0        0   the request's window handle */
  void* Caller;          /*  4        8   the request's Caller, unchanged */
  int32_t EngineVersion; /*  8       16   the engine's version number */
  int32_t Reserved;      /* 12       20   zero */
  int32_t Action;        /* 16       24   one of the UnzAction numbers */
  int32_t Code;          /* 20       28   message code, 0 for information */
  int32_t Size;          /* 24       32   entry size, byte count or total */
  char Text[512];        /* 28       36   zero-terminated when shorter */
} UnzCallbackInfo;       /* size 540 (32-bit), 552 (64-bit) */

enum UnzAction {
  UnzActionNewEntry = 1,     /* Text: the entry's name, Size: its size */
  UnzActionBytes = 2,        /* Size bytes have been processed */
  UnzActionEndOfRun = 3,     /* the run has ended */
  UnzActionMessage = 4,      /* Text: the message, Code: its code */
  UnzActionTotalEntries = 5, /* Size: number of entries to process */
  UnzActionTotalBytes = 6    /* Size: number of bytes to process */
};

/* The component's callback: returns 0 to go on, -1 to stop the run. */
typedef int32_t UnzCallbackFn(UnzCallbackInfo* info);

/* The part both request forms start with.
 *                                    32-bit   64-bit */
typedef struct UnzRequestCommon {
  void* OwnerWindow;           /*  0        0   0 when unattended */
  void* Caller;                /*  4        8   returned in every callback */
  int32_t Version;             /*  8       16   152 */
  UnzCallbackFn* Callback;     /* 12       24   may be null: no reports */
  int32_t Trace;               /* 16       32   -1 or 0 */
  int32_t Reserved20;          /* 20       36   0 */
  char* Password;              /* 24       40   81-byte buffer, "" for none */
  int32_t Test;                /* 28       48   -1: check, write nothing */
  int32_t Reserved32;          /* 32       52   0 */
  int32_t Reserved36;          /* 36       56   0 */
  int32_t Reserved40;          /* 40       60   -1 */
  int32_t Verbose;             /* 44       64   -1 or 0 */
  int32_t Update;              /* 48       68   -1: newer or missing files */
  int32_t Freshen;             /* 52       72   -1: newer existing files only */
  int32_t DirNames;            /* 56       76   -1: keep stored folder names */
  int32_t OverWrite;           /* 60       80   -1: replace existing files */
  int32_t SpecCount;           /* 64       84   number of specifications */
  const char* ArchivePath;     /* 68       88   zero-terminated */
} UnzRequestCommon;            /* size 72 (32-bit), 96 (64-bit) */

/* One item of the short form's specification array. */
typedef struct UnzSpecItem {
  const char* Spec;            /*  0        0   zero-terminated */
  uint8_t Reserved[68];        /*  4        8   zero */
} UnzSpecItem;                 /* size 72 (32-bit), 80 (64-bit) */

/* Engine version from which the component sends the short form. */
#define UNZ_SHORT_FORM_VERSION 152
/* The value that closes the common part's tail in both forms. */
#define UNZ_FORM_MARK 7
/* Slots of the long form. */
#define UNZ_LONG_FORM_SLOTS 4096

/* Short form, sent to engines of version >= 152.
 *                                    32-bit   64-bit */
typedef struct UnzRequestShort {
  UnzRequestCommon Common;     /*  0        0 */
  UnzSpecItem* Specs;          /* 72       96   SpecCount items */
  uint8_t Reserved[68];        /* 76      104   zero */
  int32_t Mark;                /* 144     172   UNZ_FORM_MARK */
} UnzRequestShort;             /* size 148 (32-bit), 176 (64-bit) */

/* Long form, sent to older engines.
 *                                    32-bit   64-bit */
typedef struct UnzRequestLong {
  UnzRequestCommon Common;     /*  0        0 */
  int32_t Mark;                /* 72       96   UNZ_FORM_MARK */
  const char* Specs[UNZ_LONG_FORM_SLOTS]; /* 76 104  unused slots 0 */
  int32_t Reserved;            /* 16460 32872 zero */
} UnzRequestLong;              /* size 16464 (32-bit), 32880 (64-bit) */

/* The engine tells the forms apart by the 32-bit value right after the
 * common part: the long form's mark, or the short form's Specs pointer,
 * which is aligned and so never 7. */

/* The engine's message codes (action 4). The low byte is the kind; for a
 * failed write the next byte holds the errno value (capped at 255), so a
 * full disk (ENOSPC 28) arrives as 0x1C0E. Only the low byte reaches the
 * component's ErrCode. */
enum UnzCode {
  UnzCodeInfo = 0,          /* information: skipped existing file, notes */
  UnzCodeUnsafeEntry = 1,   /* entry skipped: unsafe name, link, folder */
  UnzCodeDamaged = 2,       /* damaged archive or entry: CRC, overlap, data */
  UnzCodeNotAnArchive = 3,  /* no zip directory found */
  UnzCodeNoMemory = 4,
  UnzCodeBadRequest = 5,    /* null request, unknown form, no path */
  UnzCodeNoMatch = 6,       /* a specification matched no entry */
  UnzCodeUnsupported = 7,   /* compression or encryption method */
  UnzCodeBadPassword = 8,   /* missing or wrong password */
  UnzCodeTooLarge = 9,      /* entry or run above the size limits */
  UnzCodeWriteFailed = 10,  /* cannot create, write or rename (errno above) */
  UnzCodeOpenFailed = 12,   /* the archive file cannot be opened or read */
  UnzCodeInternal = 13,     /* an unexpected failure inside the engine */
  UnzCodeDiskFull = 14      /* ENOSPC, EDQUOT or EFBIG (errno above) */
};

/* What libunzeng.so does with a request: entries go under the current
 * folder, each under its file-name part unless DirNames is set; an empty
 * specification list means every entry, and specifications match whole
 * entry names with '*' and '?', ignoring ASCII case, '/' and '\' alike.
 * Update and Freshen replace files older than the entry even without
 * OverWrite. One entry may give at most 1 GiB and one run 2 GiB - 1; larger
 * ones are refused with UnzCodeTooLarge.
 *
 * A run the callback stops (-1) ends with an information message and the
 * end-of-run report; it is not a failure.
 *
 * Exported by libunzeng.so with C linkage. UnzEngExec returns the number of
 * entries written (with Test: checked). A C++ exception thrown by the
 * callback stops the run, and once the engine has removed its temporary
 * file it is thrown on out of UnzEngExec to the caller. */
typedef int32_t UnzEngExecFn(const UnzRequestCommon* request);
typedef int32_t GetUnzEngVersionFn(void);
/* Declared for callers that link the engine; the component uses dlsym. */
UnzEngExecFn UnzEngExec;
GetUnzEngVersionFn GetUnzEngVersion;

#ifdef __cplusplus
} /* extern "C" */
#define UNZ_STATIC_ASSERT static_assert
#else
#define UNZ_STATIC_ASSERT _Static_assert
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
UNZ_STATIC_ASSERT(sizeof(UnzCallbackInfo) == 540, "callback record size");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Caller) == 4, "Caller offset");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Action) == 16, "Action offset");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Code) == 20, "Code offset");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Size) == 24, "Size offset");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Text) == 28, "Text offset");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, Version) == 8, "Version offset");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, Password) == 24, "Password offset");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, Reserved40) == 40, "offset 40");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, OverWrite) == 60, "OverWrite offset");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, ArchivePath) == 68, "path offset");
UNZ_STATIC_ASSERT(sizeof(UnzRequestCommon) == 72, "common part size");
UNZ_STATIC_ASSERT(sizeof(UnzSpecItem) == 72, "spec item size");
UNZ_STATIC_ASSERT(offsetof(UnzRequestShort, Mark) == 144, "short mark offset");
UNZ_STATIC_ASSERT(sizeof(UnzRequestShort) == 148, "short form size");
UNZ_STATIC_ASSERT(offsetof(UnzRequestLong, Specs) == 76, "long slots offset");
UNZ_STATIC_ASSERT(sizeof(UnzRequestLong) == 16464, "long form size");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
UNZ_STATIC_ASSERT(sizeof(UnzCallbackInfo) == 552, "callback record size");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Caller) == 8, "Caller offset");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Action) == 24, "Action offset");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Code) == 28, "Code offset");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Size) == 32, "Size offset");
UNZ_STATIC_ASSERT(offsetof(UnzCallbackInfo, Text) == 36, "Text offset");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, Version) == 16, "Version offset");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, Password) == 40, "Password offset");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, Reserved40) == 60, "offset 40");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, OverWrite) == 80, "OverWrite offset");
UNZ_STATIC_ASSERT(offsetof(UnzRequestCommon, ArchivePath) == 88, "path offset");
UNZ_STATIC_ASSERT(sizeof(UnzRequestCommon) == 96, "common part size");
UNZ_STATIC_ASSERT(sizeof(UnzSpecItem) == 80, "spec item size");
UNZ_STATIC_ASSERT(offsetof(UnzRequestShort, Mark) == 172, "short mark offset");
UNZ_STATIC_ASSERT(sizeof(UnzRequestShort) == 176, "short form size");
UNZ_STATIC_ASSERT(offsetof(UnzRequestLong, Specs) == 104, "long slots offset");
UNZ_STATIC_ASSERT(sizeof(UnzRequestLong) == 32880, "long form size");
#endif

/* Both forms keep the mark, or the Specs pointer, right after the common part. */
UNZ_STATIC_ASSERT(offsetof(UnzRequestShort, Specs) == sizeof(UnzRequestCommon), "short tail");
UNZ_STATIC_ASSERT(offsetof(UnzRequestLong, Mark) == sizeof(UnzRequestCommon), "long tail");
