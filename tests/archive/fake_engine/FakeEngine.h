// The control interface of the tests' stand-in engine: a script of callbacks
// to replay and a record of the request it was given. Tests reach these
// functions through dlsym on the same library the component loads.
#pragma once

#include <stdint.h>

extern "C" {

struct FakeStep {
  int32_t Action;
  int32_t Code;
  int32_t Size;
  char Text[512];  // copied whole; need not hold a zero byte
};

struct FakeRecord {
  int32_t Calls;           // UnzEngExec calls since the last reset
  int32_t Form;            // 1 short, 2 long, as told apart by the mark
  int32_t MarkFound;       // the mark at the end of the form's tail
  int32_t TailClean;       // 1 when every reserved byte and unused slot is 0
  int32_t Version;         // the request's version field
  int32_t Trace, Test, Reserved40, Verbose, Update, Freshen, DirNames, OverWrite;
  int32_t SpecCount;
  char Specs[4][64];
  char Password[96];
  char ArchivePath[1024];
  int32_t ArchiveReadable;  // the archive path named a readable file during the call
  void* OwnerWindow;
  void* Caller;
  int32_t StepsSent;        // callbacks made before the run ended
  int32_t LastResult;       // what the last callback returned
  char CurrentDir[1024];
};

typedef void FakeEngineResetFn(int32_t version, int32_t result);
typedef void FakeEngineScriptFn(const FakeStep* steps, int32_t count);
typedef const FakeRecord* FakeEngineRecordFn(void);
}
