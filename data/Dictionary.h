#pragma once
// The data dictionary: a file manager and a relation manager for every file a program declares,
// made at program start and killed at its end. No file is opened here; files open lazily.
//
// The managers serve the thread that calls DictionaryInit (both programs run their procedures on
// one thread); they are reached through Access_<file> and Relate_<file> (DataFileManagers.h).
namespace tarn::data {

// Builds the managers of Settings and ServicesToCheck, and of the checker's log when withLog.
// A second call without DictionaryKill in between does nothing.
void DictionaryInit(bool withLog = false);
// Shuts every manager down and clears the global references; safe to call twice.
void DictionaryKill();

}  // namespace tarn::data
