// Which servers and service names may reach another computer's shell.
#include <gtest/gtest.h>

#include "platform/vuft4/RemoteNames.h"

namespace tarn::vuft4 {
namespace {

TEST(RemoteNamesTest, OnlyPlainDestinations) {
    for (const char* server : {"web01", "web01.example.org", "db-2", "my_alias", "root@web01",
                               "deploy.bot@10.0.0.7", "127.0.0.5"}) {
        EXPECT_TRUE(PlainDestination(server)) << server;
    }
    for (const char* server : {"",
                               "-oProxyCommand=touch X",
                               "-p22",
                               "a;b",
                               "$(touch X)",
                               "`id`",
                               "web 01",
                               "web01\n",
                               "a'b",
                               "a\"b",
                               "@web01",
                               "root@",
                               "a@b@c",
                               "root@-oX",
                               "-root@web01",
                               "web01:22",
                               "[::1]",
                               "h/x",
                               "h\\x",
                               "h*"}) {
        EXPECT_FALSE(PlainDestination(server)) << server;
    }
}

TEST(RemoteNamesTest, OnlyPlainServiceNames) {
    for (const char* name : {"nginx", "php8.2-fpm", "getty@tty1", "systemd-fsck@dev-sda1.service",
                             "a:b_c", "x.service", "..x"}) {
        EXPECT_TRUE(PlainRemoteServiceName(name)) << name;
    }
    for (const char* name :
         {"",     "-h",  "--help", ".",    "..",   "a b",        "a;b",  "$(touch X)",
          "`id`", "a'b", "a\"b",   "a\nb", "a\\b", "a/b",        "ssh*", "a?c",
          "[ab]", "a|b", "a&b",    "a>b",  "a\tb", "caf\xc3\xa9"}) {
        EXPECT_FALSE(PlainRemoteServiceName(name)) << name;
    }
    EXPECT_EQ(SingleQuoted("nginx"), "'nginx'");
    // A quote that slipped past the check still cannot end the quoting.
    EXPECT_EQ(SingleQuoted("a';touch X;'"), R"('a'\'';touch X;'\''')");
}

}  // namespace
}  // namespace tarn::vuft4
