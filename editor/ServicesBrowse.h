#pragma once
// The services list's browse: rows as the record's fields, except a blank record.
#include "data/FieldRef.h"
#include "framework/browse/BrowseManager.h"

namespace tarn::editor {

// What a blank record's row says: an insert whose form never closed (the editor was killed
// with it open) left it; it can be changed or deleted like any other.
inline constexpr const char* kBlankRecordNote = "(blank: a new service that was never saved)";

class ServicesBrowse : public framework::BrowseManager {
  public:
    // The row's description field, where a blank record's row says what it is.
    data::FieldRef NoteField;

    void CopyRecordToRow() override;
};

}  // namespace tarn::editor
