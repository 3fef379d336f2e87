// SPDX-License-Identifier: GPL-3.0-or-later
// check over a site of pages written the ways real sites are (tests/cli/site_corpus): every
// page with a map gives findings with its pictures and without them, folders are walked without
// going round a link, --jobs changes nothing but the speed, and SARIF holds what its readers need.
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <filesystem>
#include <set>

#include "cli/cli.h"
#include "image/image.h"

namespace {

namespace fs = std::filesystem;
using clitest::Args;
using clitest::Cli;

// The pictures the corpus's pages name (type codes: 2 GIF, 4 PNG, 1 JPEG).
const struct {
    const char* path;
    int width, height, type;
} kPictures[] = {
    {"images/navbar.gif", 600, 40, 2},
    {"images/timeline.gif", 600, 120, 2},
    {"shop/images/shop.gif", 400, 300, 2},
    {"shop/images/steps.gif", 300, 60, 2},
    {"docs/inherit_graph_0.png", 200, 90, 4},
    {"docs/inherit_graph_1.png", 76, 37, 4},
    {"docs/classTree__coll__graph.png", 193, 126, 4},
    {"docs/gardenmap.png", 200, 150, 4},
    {"docs/plan.gif", 100, 100, 2},
    {"images/plan.png", 200, 200, 4},
    {"ja/img/map1.png", 400, 300, 4},
    {"ja/img/route.png", 320, 240, 4},
    {"ja/img/spring.gif", 200, 50, 2},
    {"ja/img/autumn.gif", 200, 50, 2},
    {"images/world.gif", 500, 250, 2},
    {"images/letters.gif", 130, 30, 2},
    {"images/banner.jpg", 468, 60, 1},
    {"images/nav.gif", 300, 30, 2},
};

class SiteCheck : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(testutil::SourcePath("tests/cli/site_corpus"), site, fs::copy_options::recursive);
    }
    void AddPictures() {
        for (const auto& p : kPictures) {
            fs::create_directories(fs::path(site / p.path).parent_path());
            CImage picture;
            ASSERT_EQ(picture.Create(p.width, p.height, 8, -1), 1);
            ASSERT_EQ(picture.Save((site / p.path).string(), p.type), 1) << p.path;
        }
    }
    // The pages with findings, as the report names them.
    static std::set<std::string> PagesIn(const std::string& report) {
        std::set<std::string> pages;
        for (size_t at = 0; at < report.size(); at = report.find('\n', at) + 1)
            pages.insert(report.substr(at, report.find(':', at) - at));
        return pages;
    }
    // The corpus's pages with a map, as the walk names them.
    std::set<std::string> PagesWithMaps(bool templates) const {
        std::set<std::string> pages;
        for (const auto& e : fs::recursive_directory_iterator(site)) {
            const std::string ext = e.path().extension().string();
            const bool page = ext == ".html" || ext == ".htm" || ext == ".xhtml";
            if (e.path().filename() != "nomap.html" &&
                (page || (templates && (ext == ".php" || ext == ".jsp" || ext == ".tpl"))))
                pages.insert(e.path().string());
        }
        return pages;
    }
    testutil::TempDir temp;
    fs::path site = fs::path(temp.File("site"));
};

}  // namespace

TEST_F(SiteCheck, EveryPageWithAMapHasFindingsWithOrWithoutItsPictures) {
    const std::string root = site.string();
    const auto bare = Cli({"check", "--root", root, root});
    EXPECT_EQ(bare.exitCode, 1) << bare.err;
    EXPECT_EQ(PagesIn(bare.out), PagesWithMaps(false));
    EXPECT_NE(bare.out.find("misc/no-src.html:2:1: warning: the image has no src"),
              std::string::npos);

    AddPictures();
    // Templates too, through --include; a link back up the tree is not followed.
    fs::create_directory_symlink("..", site / "misc" / "loop");
    const Args args = {"check",     "--root", root,        "--include", "*.php",
                       "--include", "*.jsp",  "--include", "*.tpl",     root};
    const auto one = Cli(args);
    EXPECT_EQ(one.exitCode, 1) << one.err;
    EXPECT_EQ(PagesIn(one.out), PagesWithMaps(true));
    // Pictures found from the root, past a query, and read from a data: URL.
    for (const char* found : {"history.htm:4:1", "cart.html:4:1", "access.html:5:4"})
        EXPECT_EQ(one.out.find(std::string(found) + ": warning: the picture"), std::string::npos)
            << found;
    EXPECT_NE(one.out.find("misc/data-uri.html:7:1: warning: part of the area lies outside the "
                           "32x32 picture"),
              std::string::npos);
    EXPECT_NE(one.out.find("cdn.html:3:1: warning: the picture \"https://cdn.example.net/"
                           "sponsors-2019.png\" is not a local file"),
              std::string::npos);

    Args jobs = args;
    jobs.insert(jobs.begin() + 1, {"--jobs", "2"});
    const auto two = Cli(jobs);
    EXPECT_EQ(two.out, one.out);
    EXPECT_EQ(two.exitCode, 1);

    // Disabling every rule that fires leaves nothing and exit 0; an unknown rule is a usage error.
    std::set<std::string> rules;
    for (size_t at = one.out.find(" ["); at != std::string::npos; at = one.out.find(" [", at + 1))
        rules.insert(one.out.substr(at + 2, one.out.find(']', at) - at - 2));
    std::string fired;
    for (const std::string& rule : rules) fired += (fired.empty() ? "" : ",") + rule;
    Args quiet = args;
    quiet.insert(quiet.begin() + 1, {"--disable", fired});
    const auto none = Cli(quiet);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.exitCode, 0) << fired;
    EXPECT_EQ(Cli({"check", "--disable", "no-such-rule", root}).exitCode, 2);
    EXPECT_EQ(Cli({"check", "--jobs", "0", root}).exitCode, 2);
    EXPECT_EQ(Cli({"check", root + "/gone.html"}).exitCode, 2);
}

// SARIF 2.1.0 as code-scanning services read it: the rules with help text, each result with
// its rule, level, message, page, line and column.
// A page's findings are out before the next page is read: standard input,
// the second page here, stays open until the first page's report has come.
TEST_F(SiteCheck, EachPagesReportIsWrittenBeforeTheNextPageIsRead) {
    const std::string first = temp.File("first.html");
    testutil::WriteFile(first, "<img src=\"p.png\" usemap=\"#m\">\n<map name=\"m\"></map>\n");
    for (const std::string format : {"text", "json", "sarif"}) {
        // SARIF names every rule first: its finding is the result.
        const std::string finding = format == "sarif" ? "\"ruleId\": \"img-alt\"" : "img-alt";
        int in[2], out[2];
        ASSERT_EQ(pipe(in), 0);
        ASSERT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        for (const int fd : {in[0], in[1], out[0], out[1]})
            posix_spawn_file_actions_addclose(&actions, fd);
        const std::string cli = ZE_CLI;
        std::vector<std::string> args = {cli, "check", "--format", format, first, "-"};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        std::string report;
        pollfd wait{out[0], POLLIN, 0};
        while (report.find(finding) == std::string::npos && poll(&wait, 1, 30000) == 1) {
            char buffer[4096];
            const ssize_t got = read(out[0], buffer, sizeof buffer);
            if (got <= 0) break;
            report.append(buffer, size_t(got));
        }
        EXPECT_NE(report.find(finding), std::string::npos) << format << ": " << report;
        close(in[1]);  // the second page: empty
        char rest[4096];
        while (read(out[0], rest, sizeof rest) > 0) continue;
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << format;
    }
}

TEST_F(SiteCheck, SarifHoldsEveryRuleAndEveryFindingsPlace) {
    const std::string page = (site / "misc" / "hover.html").string();
    const auto text = Cli({"check", page, (site / "ja").string()});
    const auto sarif = Cli({"check", "--format", "sarif", page, (site / "ja").string()});
    EXPECT_EQ(sarif.exitCode, text.exitCode);
    QJsonParseError error;
    const QJsonObject log =
        QJsonDocument::fromJson(QByteArray::fromStdString(sarif.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << sarif.out;
    EXPECT_EQ(log["version"].toString().toStdString(), "2.1.0");
    const QJsonObject run = log["runs"].toArray()[0].toObject();
    const QJsonObject driver = run["tool"].toObject()["driver"].toObject();
    EXPECT_EQ(driver["name"].toString().toStdString(), "zer-evizi-cli");
    const QJsonArray rules = driver["rules"].toArray();
    std::set<QString> ids;
    for (const QJsonValue& rule : rules) {
        const QJsonObject r = rule.toObject();
        ids.insert(r["id"].toString());
        EXPECT_FALSE(r["help"].toObject()["text"].toString().isEmpty())
            << r["id"].toString().toStdString();
        EXPECT_FALSE(r["shortDescription"].toObject()["text"].toString().isEmpty());
    }
    EXPECT_EQ(ids.size(), size_t(rules.size()));
    EXPECT_TRUE(ids.count("target-size") && ids.count("picture-missing"));

    // The same findings as the text report, in the same order.
    std::string lines;
    for (const QJsonValue& value : run["results"].toArray()) {
        const QJsonObject r = value.toObject();
        const int index = r["ruleIndex"].toInt();
        EXPECT_TRUE(rules[index].toObject()["id"] == r["ruleId"]);
        const QJsonObject place = r["locations"][0]["physicalLocation"].toObject();
        const QJsonObject region = place["region"].toObject();
        lines += QUrl(place["artifactLocation"]["uri"].toString()).toLocalFile().toStdString() +
                 ":" + std::to_string(region["startLine"].toInt()) + ":" +
                 std::to_string(region["startColumn"].toInt()) + ": " +
                 r["level"].toString().toStdString() + ": " +
                 r["message"]["text"].toString().toStdString() + " [" +
                 r["ruleId"].toString().toStdString() + "]\n";
    }
    EXPECT_EQ(lines, text.out);
}

// export --image N takes the Nth image with a map, with its own picture; extract's count of
// one image reads as one.
TEST_F(SiteCheck, ExportTakesTheImageAskedFor) {
    AddPictures();
    const std::string page = (site / "ja" / "events.html").string();
    const auto second = Cli({"export", "--svg", "--image", "2", page});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_NE(second.out.find("href=\"momiji.html\" aria-label=\"紅葉\""), std::string::npos);
    EXPECT_EQ(second.out.find("hanami.html"), std::string::npos);
    const auto third = Cli({"export", "--svg", "--image", "3", page});
    EXPECT_EQ(third.exitCode, 1);
    EXPECT_NE(third.err.find("has no image with a map numbered 3"), std::string::npos);
    // No src: said, and the page is never read as the picture.
    const auto none = Cli({"export", "--svg", (site / "misc" / "no-src.html").string()});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find("the image has no src"), std::string::npos) << none.err;
    const auto one = Cli({"extract", (site / "index.htm").string(), "--image", "2"});
    EXPECT_NE(one.err.find("has 1 image with a map\n"), std::string::npos) << one.err;
}
