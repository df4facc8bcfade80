// The standard catalog: every entry in load order, the packed layout and cut tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "errors/Catalog.h"
#include "errors/ErrorManager.h"

namespace tarn::errors {
namespace {

struct Expected {
    int id;
    int level;
    const char* title;
    const char* text;
};

// Typed from the message list, in load order.
const Expected kExpected[] = {
    {33, 5, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},  // MsgKeyInvalid
    {32, 3, "Key was not built",
     "Error: (%ErrorText) repairing key for %File."},                       // MsgKeyRepairFailed
    {12, 3, "File Creation Error", "Error: (%ErrorText) creating %File."},  // MsgFileCreateError
    {30, 5, "Procedure not defined",
     "The Procedure %Message has not been defined."},  // MsgProcedureUndefined
    {21, 5, "Range Error", "The value of %Field must be lower than %Message."},   // MsgValueTooHigh
    {22, 5, "Range Error", "The value of %Field must be higher than %Message."},  // MsgValueTooLow
    {20, 5, "Range Error", "The value of %Field must be in range %Message."},  // MsgValueOutOfRange
    {18, 5, "Field contents error",
     "The value of %Field must be found in the %Message file."},  // MsgValueNotInFile
    {37, 5, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted "
     "from change and have been reset to original values."},  // MsgLinkedUpdateBlocked
    {36, 5, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while "
     "these references exist."},  // MsgLinkedDeleteBlocked
    {4, 5, "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: "
     "%ErrorText."},  // MsgInsertError
    {7, 5, "Record Was Not Updated",
     "This record was changed by another station."},  // MsgChangedElsewhere
    {8, 5, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use "
     "the Ditto Button or Ctrl+H to recall your changes."},  // MsgChangedElsewhereRecall
    {40, 1, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},  // MsgUpdateRetryQuestion
    {39, 1, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it "
     "again?"},  // MsgDeleteRetryQuestion
    {25, 5, "Invalid Request", "This form cannot be used to insert a record"},  // MsgFormNoInsert
    {44, 5, "Invalid Request", "This form cannot be used to update a record"},  // MsgFormNoUpdate
    {14, 5, "Invalid Request", "This form cannot be used to delete a record"},  // MsgFormNoDelete
    {10, 1, "Changes will be lost!", "Are you sure you want to cancel?"},       // MsgCancelQuestion
    {15, 5, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},  // MsgDuplicateEntry
    {38, 1, "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Key: "
     "%Key|Error: %ErrorText.|Try Again?"},  // MsgNumberingRetryQuestion
    {23, 5, "File Load Error", "%File File Load Error.  Error: %ErrorText."},  // MsgLoadError
    {42, 1, "Beginning of File Error",
     "The beginning of the file %File was encountered. Do you want to start again from the "
     "end of the file?"},  // MsgWrapToEndQuestion
    {43, 1, "End of File Error",
     "The end of the file %File was encountered. Do you want to start again from the "
     "beginning?"},  // MsgWrapToStartQuestion
    {6, 5, "File Access Error",
     "File %File could not be closed.  Error: %ErrorText."},  // MsgCloseError
    {29, 3, "File Access Error",
     "File %File could not be opened.  Error: %ErrorText."},  // MsgOpenError
    {31, 5, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},  // MsgUpdateError
    {13, 5, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File "
     "file."},  // MsgDeleteError
    {11, 1, "Confirm Delete",
     "Are you sure you want to delete the highlighted record?"},                // MsgDeleteQuestion
    {41, 1, "Save Record", "Do you want to save the changes to this record?"},  // MsgSaveQuestion
    {27, 5, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},  // MsgTransactionError
    {1, 5, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window."},  // MsgReadError
    {46, 5, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits "
     "ignored."},  // MsgViewError
    {3, 1, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},  // MsgAddAnotherQuestion
    {34, 5, "Record not read",
     "A record held by another station was encountered reading from the %File file."},  // MsgRecordLocked
    {5, 5, "Add New Record?",
     "Record match not found, do you wish to add a new one?"},  // MsgNoMatchAddNew
    {19, 5, "Value Error",
     "The value of %Field must be in the list : %Message."},              // MsgValueNotInList
    {28, 5, "No Records", "There are no records available to process."},  // MsgNothingToProcess
    {2, 5, "Access Denied",
     "Could not get write access to %File so trying read-only."},  // MsgReadOnlyFallback
    {45, 2, "File Usage Error",
     "Attempt to use file (%File) before it was opened"},  // MsgFileUsedUnopened
    {47, 5, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the "
     "query."},  // MsgQueryColumnUnsupported
    {48, 5, "SMTP Error", "The following SMTP Error occurred: %Message "},   // MsgMailError
    {49, 5, "NNTP Error", "%Message "},                                      // MsgNewsError
    {50, 5, "Winsock Error", "%Message "},                                   // MsgSocketError
    {52, 3, "WMF Parser Error", "The File %File is not a valid WMF file."},  // MsgMetafileInvalid
    {24, 3, "WMF Parser Error", "Get next record from file %File failed."},  // MsgMetafileReadError
    {54, 3, "WMF Parser Error", "Cannot find %Field id. Parsing %File."},    // MsgMetafileIdMissing
    {53, 3, "WMF Parser Error",
     "Invalid %Field control found. Parsing %File."},  // MsgMetafileBadControl
    {51, 3, "WMF Parser Error",
     "Adding record to queue failed. Parsing %File."},  // MsgMetafileQueueError
    {55, 5, "Report Writer Error",
     "Poorly Formed Comment String \"%Message\" at Position %Field."},  // MsgReportCommentError
    {56, 5, "Report Writer Error", "Unknown Property %Message."},       // MsgReportPropertyUnknown
    {9, 5, "Record Retrieval Error",
     "This record was changed or deleted by another station.|Error: (%ErrorText) "
     "attempting to access a record from the %File file."},  // MsgChangedOrDeletedElsewhere
    {26, 3, "Invalid File",
     "%File has an invalid File structure.|Error: %ErrorCode - %Error|FileError: "
     "%FileErrorCode - %FileError|"},  // MsgFileStructureInvalid
    {16, 5, "SQL Execution Error",
     "Executing the SQL command %Message failed.|Error: %ErrorText."},    // MsgSqlError
    {57, 5, "Value Required", "The value of %Field must not be blank."},  // MsgValueRequired
};

struct Unpacked {
    int id;
    int level;
    std::string title;
    std::string text;
};

// A reader of the packed layout written for the test, so the check does not trust the loader.
std::vector<Unpacked> Unpack(std::span<const uint8_t> t) {
    std::vector<Unpacked> out;
    size_t count = t[0] + 256 * t[1];
    size_t at = 2;
    for (size_t i = 0; i < count; ++i) {
        Unpacked u;
        u.id = t[at] + 256 * t[at + 1];
        u.level = t[at + 2];
        size_t titleLength = t[at + 3];
        u.title.assign(reinterpret_cast<const char*>(&t[at + 4]), titleLength);
        at += 4 + titleLength;
        size_t textLength = t[at];
        u.text.assign(reinterpret_cast<const char*>(&t[at + 1]), textLength);
        at += 1 + textLength;
        out.push_back(u);
    }
    EXPECT_EQ(at, t.size()) << "no bytes after the last entry";
    return out;
}

TEST(Catalog, PackedTableHoldsEveryEntryInLoadOrder) {
    std::vector<Unpacked> entries = Unpack(StandardCatalog());
    ASSERT_EQ(entries.size(), 55u);
    ASSERT_EQ(std::size(kExpected), 55u);
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i + 1));
        EXPECT_EQ(entries[i].id, kExpected[i].id);
        EXPECT_EQ(entries[i].level, kExpected[i].level);
        EXPECT_EQ(entries[i].title, kExpected[i].title);
        EXPECT_EQ(entries[i].text, kExpected[i].text);
    }
}

TEST(Catalog, InitialisedManagerFindsEveryEntryWithItsTrailingBlanks) {
    ErrorManager manager;
    manager.Init();
    EXPECT_EQ(manager.MessageCount(), 55u);
    for (const Expected& e : kExpected) {
        ErrorEntry entry;
        ASSERT_TRUE(manager.FindMessage(static_cast<uint16_t>(e.id), entry)) << e.id;
        EXPECT_EQ(entry.message, e.text);
        EXPECT_EQ(entry.title, e.title);
        EXPECT_EQ(entry.fatality, e.level);
        EXPECT_EQ(entry.category, "");
    }
    ErrorEntry entry;
    EXPECT_FALSE(manager.FindMessage(17, entry)) << "17 is a gap in the ids";
    EXPECT_EQ(manager.MessageCategory(MsgOpenError), "QEL");
    manager.Shutdown();
    EXPECT_EQ(manager.MessageCount(), 0u);
}

TEST(Catalog, CutTableLoadsOnlyTheCompleteEntries) {
    std::span<const uint8_t> table = StandardCatalog();
    std::vector<Unpacked> all = Unpack(table);
    std::vector<size_t> ends;  // offset just past each entry
    size_t at = 2;
    for (const Unpacked& u : all) {
        at += 5 + u.title.size() + u.text.size();
        ends.push_back(at);
    }
    for (size_t length = 0; length <= table.size(); ++length) {
        ErrorManager manager;
        manager.LoadMessages(table.first(length));
        size_t complete = 0;
        while (complete < ends.size() && ends[complete] <= length) ++complete;
        ASSERT_EQ(manager.MessageCount(), complete) << "cut at " << length;
    }
}

TEST(Catalog, LaterEntriesOverrideAndRemovalUncoversTheOlder) {
    ErrorManager manager;
    manager.Init();
    // Two entries: id 29 again with a new text, and a new id 300.
    const uint8_t extra[] = {2,   0,    29,   0, 5, 1, 'T', 2,   'h',
                             'i', 0x2C, 0x01, 1, 0, 3, 'a', 'b', 'c'};
    manager.LoadMessages(extra);
    EXPECT_EQ(manager.MessageCount(), 57u);
    ErrorEntry entry;
    ASSERT_TRUE(manager.FindMessage(29, entry));
    EXPECT_EQ(entry.message, "hi");
    EXPECT_EQ(entry.fatality, LevelNotice);
    ASSERT_TRUE(manager.FindMessage(300, entry));
    EXPECT_EQ(entry.message, "abc");

    manager.RemoveMessage(29);
    ASSERT_TRUE(manager.FindMessage(29, entry));
    EXPECT_EQ(entry.message, "File %File could not be opened.  Error: %ErrorText.");
    manager.RemoveMessage(29);
    EXPECT_FALSE(manager.FindMessage(29, entry));
    manager.RemoveMessage(29);  // none left: no effect
    EXPECT_EQ(manager.MessageCount(), 55u);
}

TEST(Catalog, CategoriesFallBackToTheDefault) {
    ErrorManager manager;
    manager.Init();
    manager.SetMessageCategory(MsgOpenError, "Files");
    EXPECT_EQ(manager.MessageCategory(MsgOpenError), "Files");
    EXPECT_EQ(manager.MessageCategory(MsgReadError), "QEL");
    manager.SetMessageCategory(-1, "Tarn");
    EXPECT_EQ(manager.MessageCategory(-1), "Tarn");
    EXPECT_EQ(manager.MessageCategory(MsgReadError), "Tarn");
    EXPECT_EQ(manager.MessageCategory(999), "Tarn");
    manager.SetMessageCategory(999, "Nowhere");  // no such id: no effect
    EXPECT_EQ(manager.MessageCategory(999), "Tarn");
}

}  // namespace
}  // namespace tarn::errors
