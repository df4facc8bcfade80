#include "errors/Catalog.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "errors/Levels.h"
#include "errors/MessageIds.h"

namespace tarn::errors {

namespace {

struct Source {
    uint16_t id;
    uint8_t level;
    std::string_view title;
    std::string_view text;
};

// In load order; texts exactly as stored, trailing blanks included.
constexpr Source kSources[] = {
    {MsgKeyInvalid, LevelNotice, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
    {MsgKeyRepairFailed, LevelFatal, "Key was not built",
     "Error: (%ErrorText) repairing key for %File."},
    {MsgFileCreateError, LevelFatal, "File Creation Error", "Error: (%ErrorText) creating %File."},
    {MsgProcedureUndefined, LevelNotice, "Procedure not defined",
     "The Procedure %Message has not been defined."},
    {MsgValueTooHigh, LevelNotice, "Range Error",
     "The value of %Field must be lower than %Message."},
    {MsgValueTooLow, LevelNotice, "Range Error",
     "The value of %Field must be higher than %Message."},
    {MsgValueOutOfRange, LevelNotice, "Range Error",
     "The value of %Field must be in range %Message."},
    {MsgValueNotInFile, LevelNotice, "Field contents error",
     "The value of %Field must be found in the %Message file."},
    {MsgLinkedUpdateBlocked, LevelNotice, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from "
     "change and have been reset to original values."},
    {MsgLinkedDeleteBlocked, LevelNotice, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these "
     "references exist."},
    {MsgInsertError, LevelNotice, "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: %ErrorText."},
    {MsgChangedElsewhere, LevelNotice, "Record Was Not Updated",
     "This record was changed by another station."},
    {MsgChangedElsewhereRecall, LevelNotice, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+H to recall your changes."},
    {MsgUpdateRetryQuestion, LevelQuestion, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {MsgDeleteRetryQuestion, LevelQuestion, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {MsgFormNoInsert, LevelNotice, "Invalid Request",
     "This form cannot be used to insert a record"},
    {MsgFormNoUpdate, LevelNotice, "Invalid Request",
     "This form cannot be used to update a record"},
    {MsgFormNoDelete, LevelNotice, "Invalid Request",
     "This form cannot be used to delete a record"},
    {MsgCancelQuestion, LevelQuestion, "Changes will be lost!", "Are you sure you want to cancel?"},
    {MsgDuplicateEntry, LevelNotice, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},
    {MsgNumberingRetryQuestion, LevelQuestion, "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Key: %Key|Error: "
     "%ErrorText.|Try Again?"},
    {MsgLoadError, LevelNotice, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
    {MsgWrapToEndQuestion, LevelQuestion, "Beginning of File Error",
     "The beginning of the file %File was encountered. Do you want to start again from the end of "
     "the file?"},
    {MsgWrapToStartQuestion, LevelQuestion, "End of File Error",
     "The end of the file %File was encountered. Do you want to start again from the beginning?"},
    {MsgCloseError, LevelNotice, "File Access Error",
     "File %File could not be closed.  Error: %ErrorText."},
    {MsgOpenError, LevelFatal, "File Access Error",
     "File %File could not be opened.  Error: %ErrorText."},
    {MsgUpdateError, LevelNotice, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {MsgDeleteError, LevelNotice, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {MsgDeleteQuestion, LevelQuestion, "Confirm Delete",
     "Are you sure you want to delete the highlighted record?"},
    {MsgSaveQuestion, LevelQuestion, "Save Record",
     "Do you want to save the changes to this record?"},
    {MsgTransactionError, LevelNotice, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {MsgReadError, LevelNotice, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window."},
    {MsgViewError, LevelNotice, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {MsgAddAnotherQuestion, LevelQuestion, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {MsgRecordLocked, LevelNotice, "Record not read",
     "A record held by another station was encountered reading from the %File file."},
    {MsgNoMatchAddNew, LevelNotice, "Add New Record?",
     "Record match not found, do you wish to add a new one?"},
    {MsgValueNotInList, LevelNotice, "Value Error",
     "The value of %Field must be in the list : %Message."},
    {MsgNothingToProcess, LevelNotice, "No Records", "There are no records available to process."},
    {MsgReadOnlyFallback, LevelNotice, "Access Denied",
     "Could not get write access to %File so trying read-only."},
    {MsgFileUsedUnopened, LevelInternal, "File Usage Error",
     "Attempt to use file (%File) before it was opened"},
    {MsgQueryColumnUnsupported, LevelNotice, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the query."},
    {MsgMailError, LevelNotice, "SMTP Error", "The following SMTP Error occurred: %Message "},
    {MsgNewsError, LevelNotice, "NNTP Error", "%Message "},
    {MsgSocketError, LevelNotice, "Winsock Error", "%Message "},
    {MsgMetafileInvalid, LevelFatal, "WMF Parser Error", "The File %File is not a valid WMF file."},
    {MsgMetafileReadError, LevelFatal, "WMF Parser Error",
     "Get next record from file %File failed."},
    {MsgMetafileIdMissing, LevelFatal, "WMF Parser Error", "Cannot find %Field id. Parsing %File."},
    {MsgMetafileBadControl, LevelFatal, "WMF Parser Error",
     "Invalid %Field control found. Parsing %File."},
    {MsgMetafileQueueError, LevelFatal, "WMF Parser Error",
     "Adding record to queue failed. Parsing %File."},
    {MsgReportCommentError, LevelNotice, "Report Writer Error",
     "Poorly Formed Comment String \"%Message\" at Position %Field."},
    {MsgReportPropertyUnknown, LevelNotice, "Report Writer Error", "Unknown Property %Message."},
    {MsgChangedOrDeletedElsewhere, LevelNotice, "Record Retrieval Error",
     "This record was changed or deleted by another station.|Error: (%ErrorText) attempting to "
     "access a record from the %File file."},
    {MsgFileStructureInvalid, LevelFatal, "Invalid File",
     "%File has an invalid File structure.|Error: %ErrorCode - %Error|FileError: %FileErrorCode - "
     "%FileError|"},
    {MsgSqlError, LevelNotice, "SQL Execution Error",
     "Executing the SQL command %Message failed.|Error: %ErrorText."},
    {MsgValueRequired, LevelNotice, "Value Required", "The value of %Field must not be blank."},
};

constexpr size_t kCount = std::size(kSources);

constexpr size_t PackedSize() {
    size_t size = 2;
    for (const Source& s : kSources) size += 2 + 1 + 1 + s.title.size() + 1 + s.text.size();
    return size;
}

constexpr bool LengthsFit() {
    for (const Source& s : kSources) {
        if (s.title.size() > 255 || s.text.size() > 255) return false;
    }
    return true;
}

static_assert(kCount == 55, "the standard catalog has 55 entries");
static_assert(LengthsFit(), "a packed title or text holds at most 255 characters");

constexpr void PutText(std::array<uint8_t, PackedSize()>& out, size_t& at, std::string_view text) {
    out[at++] = static_cast<uint8_t>(text.size());
    for (char c : text) out[at++] = static_cast<uint8_t>(c);
}

constexpr std::array<uint8_t, PackedSize()> Pack() {
    std::array<uint8_t, PackedSize()> out{};
    size_t at = 0;
    out[at++] = static_cast<uint8_t>(kCount & 0xFF);
    out[at++] = static_cast<uint8_t>(kCount >> 8);
    for (const Source& s : kSources) {
        out[at++] = static_cast<uint8_t>(s.id & 0xFF);
        out[at++] = static_cast<uint8_t>(s.id >> 8);
        out[at++] = s.level;
        PutText(out, at, s.title);
        PutText(out, at, s.text);
    }
    return out;
}

// Built at compile time: the program carries the packed bytes, not the source list.
constexpr std::array<uint8_t, PackedSize()> kPacked = Pack();

}  // namespace

std::span<const uint8_t> StandardCatalog() { return kPacked; }

}  // namespace tarn::errors
