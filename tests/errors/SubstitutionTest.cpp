// Placeholder substitution of the current message.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "errors/ErrorManager.h"
#include "platform/system/LastError.h"

namespace tarn::errors {
namespace {

class Substitution : public ::testing::Test {
  protected:
    void SetUp() override {
        manager.Init();
        platform::ClearLastError();
    }
    void TearDown() override { manager.Shutdown(); }

    // Adds a quiet message with template text and returns its substitution.
    std::string Substitute(const std::string& text) {
        manager.AddMessage(1000, text, "T", LevelQuiet);
        manager.SelectMessage(1000);
        std::string result = manager.SubstitutedText();
        manager.RemoveMessage(1000);
        return result;
    }

    ErrorManager manager;
};

TEST_F(Substitution, LongerPlaceholdersWinOverTheirPrefixes) {
    platform::SetLastError(90, "data.db", "19", "constraint failed");
    manager.CaptureRuntimeError();
    manager.SetFileName("Services");
    EXPECT_EQ(Substitute("[%FileErrorCode][%FileError][%File][%ErrorFile]"),
              "[19][constraint failed][Services][data.db]");
    EXPECT_EQ(Substitute("%ErrorCode/%Error"), "90/" + platform::ErrorCodeText(90));
}

TEST_F(Substitution, ErrorTextUsesTheDriverForDriverCodes) {
    for (int code : {90, 100, 47}) {
        platform::SetLastError(code, "x", "1555", "UNIQUE failed");
        manager.CaptureRuntimeError();
        EXPECT_EQ(Substitute("(%ErrorText)"), "(UNIQUE failed (1555))") << code;
    }
    platform::SetLastError(2, "Settings");
    manager.CaptureRuntimeError();
    EXPECT_EQ(Substitute("(%ErrorText)"), "(" + platform::ErrorCodeText(2) + " (2))");
}

TEST_F(Substitution, CatalogTemplateComesOutFilledIn) {
    platform::SetLastError(2, "Settings.db");
    manager.SetFileName("Settings   ");
    manager.CaptureRuntimeError();
    manager.SelectMessage(MsgOpenError);
    EXPECT_EQ(manager.SubstitutedText(),
              "File Settings could not be opened.  Error: " + platform::ErrorCodeText(2) + " (2).");
}

TEST_F(Substitution, ValueHoldingItsOwnPlaceholderIsInsertedOnce) {
    manager.SetFileName("%File");
    EXPECT_EQ(Substitute("a %File b %File"), "a %File b %File");
    manager.SetFileName("x%FILEy");
    EXPECT_EQ(Substitute("<%file>"), "<x%FILEy>");
    manager.SetMessageText("%Message%Message");
    EXPECT_EQ(Substitute("%Message|%Message"), "%Message%Message|%Message%Message");
}

TEST_F(Substitution, SearchIgnoresCaseExceptForPrevious) {
    manager.SetFileName("F");
    manager.SetKeyName("K");
    manager.SetFieldName("D");
    EXPECT_EQ(Substitute("%file %KEY %fIeLd"), "F K D");
    manager.AddMessage(1001, "first template %File", "T", LevelQuiet);
    manager.SelectMessage(1001);
    EXPECT_EQ(Substitute("%previous"), "%previous");
}

TEST_F(Substitution, PreviousGivesThePreviousRawTemplate) {
    manager.AddMessage(1001, "first %File", "T", LevelQuiet);
    manager.AddMessage(1002, "after: %Previous", "T", LevelQuiet);
    manager.SetFileName("ignored");
    EXPECT_EQ(manager.Raise(1001), LevelQuiet);
    EXPECT_EQ(manager.Raise(1002), LevelQuiet);
    EXPECT_EQ(manager.SubstitutedText(), "after: first %File");
    // An id the catalog lacks (the blank entry, 0) gives the empty text.
    manager.Raise(4321);
    manager.Raise(1002);
    EXPECT_EQ(manager.SubstitutedText(), "after: ");
}

TEST_F(Substitution, ProcedureCategoryAndEmptySources) {
    manager.PushProcedureName("Main  ");
    manager.PushProcedureName("ListServices");
    EXPECT_EQ(Substitute("%Procedure"), "ListServices");
    manager.PopProcedureName("anything");
    EXPECT_EQ(Substitute("%Procedure"), "Main");
    manager.PopProcedureName();
    manager.PopProcedureName();  // nothing left: no effect
    EXPECT_EQ(Substitute("[%Procedure][%Message][%Other]"), "[][][%Other]");
    manager.AddMessage(1003, "%Category", "T", LevelQuiet, "Mine");
    manager.SelectMessage(1003);
    EXPECT_EQ(manager.SubstitutedText(), "Mine");
    EXPECT_EQ(Substitute("%FileErrorCode"), "0") << "initial driver code";
}

TEST_F(Substitution, ResultIsCutTo1999Characters) {
    manager.SetMessageText(std::string(1023, 'm'));
    std::string text = Substitute("%Message%Message%Message");
    EXPECT_EQ(text.size(), 1999u);
    manager.SetFieldName(std::string(2000, 'f'));
    EXPECT_EQ(manager.Status().fieldName.size(), 1023u);
}

TEST_F(Substitution, UnknownIdSelectsABlankQuietEntry) {
    manager.AddMessage(1001, "something", "T", LevelNotice);
    manager.SelectMessage(1001);
    EXPECT_EQ(manager.Raise(4321), LevelQuiet);
    EXPECT_EQ(manager.Status().errorBuffer.id, 0);
    EXPECT_EQ(manager.Status().prevErrorId, 1001);
    EXPECT_EQ(manager.SubstitutedText(), "");
}

TEST_F(Substitution, EachThreadSeesItsOwnNames) {
    manager.AddMessage(1004, "%Field|%File|%Key|%Message|%Procedure", "T", LevelQuiet);
    std::string seen[2];
    auto worker = [&](int n) {
        std::string tag = std::to_string(n);
        std::string expected =
            "field" + tag + "|file" + tag + "|key" + tag + "|msg" + tag + "|Proc" + tag;
        manager.PushProcedureName("Proc" + tag);
        for (int i = 0; i < 2000; ++i) {
            manager.SetFieldName("field" + tag);
            manager.SetFileName("file" + tag);
            manager.SetKeyName("key" + tag);
            manager.RaiseWithMessage(1004, "msg" + tag);
            std::string text = manager.SubstitutedText();
            if (text != expected) {
                seen[n] = text;  // the first wrong text
                break;
            }
            seen[n] = text;
        }
        manager.PopProcedureName();
    };
    std::thread a(worker, 0), b(worker, 1);
    a.join();
    b.join();
    EXPECT_EQ(seen[0], "field0|file0|key0|msg0|Proc0");
    EXPECT_EQ(seen[1], "field1|file1|key1|msg1|Proc1");
    EXPECT_EQ(manager.CurrentProcedureName(), "");
}

}  // namespace
}  // namespace tarn::errors
