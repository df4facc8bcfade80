#pragma once
// tarnconfig's start-up and ending, around its main window.

namespace tarn::editor {

// Error manager, INI store on "./Tarnconfig.INI", the data managers of both files. Opens no
// data file: each window opens what it uses.
void StartUp();
// The INI store's closing hook and Close, then the data managers and the error manager go.
void ShutDown();

}  // namespace tarn::editor
