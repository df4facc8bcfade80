// End-to-end: what an operator stored with sqlite3, wider than the checker's record can hold,
// comes through the checker's passes as stored; only the stamps and a blank server change.
#include <gtest/gtest.h>

#include "CheckerFixture.h"
#include "platform/system/Folders.h"
#include "tests/support/RawSql.h"

namespace tarn::checker::test {
namespace {

using tarn::test::RawExec;
using tarn::test::RawRows;

TEST_F(CheckerEndToEnd, WiderValuesThanTheRecordHoldsSurviveThePassesAsStored) {
    WriteSettings(1, 1);
    // The second record has the id the first one's would be cut to: a narrowing write-back of
    // the first collides with it.
    WriteServices({{1, "", "tarn-no-such-service-1", "first"},
                   {2147483647, "", "tarn-no-such-service-2", "second"}});
    const std::string db = folder / "ServicesToCheck.db";
    const std::string name = "tarn-no-such-service-" + std::string(285, 'x');
    const std::string description(2001, 'd');
    ASSERT_EQ(RawExec(db,
                      "UPDATE records SET \"SERCHK:RecordID\" = 9223372036854775807, "
                      "\"SERCHK:ServiceName\" = '" +
                          name + "', \"SERCHK:ServiceDescription\" = '" + description +
                          "' WHERE rid = 1"),
              "");
    auto stamps = [&] {
        return RawRows(db,
                       "SELECT \"SERCHK:LastChecked\" <> 0, \"SERCHK:LastCheckedTime\" "
                       "FROM records ORDER BY rid");
    };
    CheckerProcess p(folder.Path());
    // Two passes: the second one reads what the first one wrote back.
    std::string firstStamp;
    ASSERT_TRUE(p.WaitFor(
        [&] {
            auto s = stamps();
            if (s.size() == 2 && s[0].starts_with("1|") && s[1].starts_with("1|") &&
                firstStamp.empty())
                firstStamp = s[0];
            return !firstStamp.empty() && s[0] != firstStamp;
        },
        20s))
        << p.Stderr();
    p.Stop();

    EXPECT_EQ(RawRows(db,
                      "SELECT typeof(\"SERCHK:RecordID\"), \"SERCHK:RecordID\", "
                      "\"SERCHK:ServiceName\" = '" +
                          name + "', \"SERCHK:ServiceDescription\" = '" + description +
                          "', \"SERCHK:ServerName\" FROM records WHERE rid = 1"),
              std::vector<std::string>{"integer|9223372036854775807|1|1|" +
                                       platform::ComputerName().substr(0, 127)});
    EXPECT_EQ(p.Stderr().find("Record was not updated"), std::string::npos) << p.Stderr();
}

}  // namespace
}  // namespace tarn::checker::test
