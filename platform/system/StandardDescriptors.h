#pragma once
// Standard input, output and error of a program started with one of them closed.
namespace tarn::platform {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that the next file the
// program opens cannot take one of those numbers and receive what is meant for standard error.
// Call it first in main, before anything is opened. False when /dev/null cannot be opened.
bool OpenStandardDescriptors();

}  // namespace tarn::platform
