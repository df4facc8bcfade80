#pragma once
// The data dictionary: the program's global file and relation managers, one of each for every
// file the program declares (the declarations themselves are in data/records), made at program
// start and killed at its end. No file is opened here; files open lazily.
//
// The managers serve the thread that calls DictionaryInit (both programs run their procedures on
// one thread). DictionaryInit and DictionaryKill are the one set-up and the one reset of the
// managers and of that thread's files and record buffers: a test that calls DictionaryKill
// leaves nothing behind for the next one.
#include "data/FileManager.h"
#include "data/RelationManager.h"

namespace tarn::data {

// The managers of the thread that ran DictionaryInit; null before it and after DictionaryKill.
extern FileManager* Access_Settings;
extern RelationManager* Relate_Settings;
extern FileManager* Access_ServicesToCheck;
extern RelationManager* Relate_ServicesToCheck;
extern FileManager* Access_QuorvelCheckServiceLog;
extern RelationManager* Relate_QuorvelCheckServiceLog;

// Builds the managers of Settings and ServicesToCheck, and of the checker's log when withLog, on
// files in their declared state. A second call without DictionaryKill in between does nothing.
void DictionaryInit(bool withLog = false);
// Shuts every manager down, clears the global references and gives the thread's files their
// declared state back; safe to call twice.
void DictionaryKill();

}  // namespace tarn::data
