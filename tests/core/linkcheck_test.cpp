#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "link/linkcheck.h"
#include "link/replay.h"

namespace {

struct TempFolder {
    std::string path;
    TempFolder()
    {
        char tmpl[] = "/tmp/linkcheck-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string Write(const std::string &name, const std::string &content) const
    {
        std::string file = path + "/" + name;
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }
};

std::vector<std::string> ReadAllLines(ReplayReader &r)
{
    std::vector<std::string> lines;
    std::string line;
    while (!r.AtEnd() && r.ReadLine(line)) lines.push_back(line);
    return lines;
}

} // namespace

TEST(PortText, AComNameResolvesThroughItsLinkOrToTheMatchingTtyS)
{
    TempFolder ports;
    ASSERT_EQ(::symlink("/dev/gone", (ports.path + "/com9").c_str()), 0);   // dangling: still the link
    EXPECT_EQ(ResolvePortName("COM9", ports.path), ports.path + "/com9");
    EXPECT_EQ(ResolvePortName("COM16", ports.path), "/dev/ttyS15");
    EXPECT_EQ(ResolvePortName("COM4", ports.path + "/missing"), "/dev/ttyS3");
    EXPECT_EQ(ResolvePortName("COM0", ports.path), "");
    EXPECT_EQ(ResolvePortName("COM-2", ports.path), "");
}

TEST(SettingChecks, NumbersOutOfRangeOrTooBigAreRefused)
{
    EXPECT_EQ(CheckTcpPort("65535"), 65535);
    for (const char *bad : {"0", "65536", "-1", "20OO", "99999999999"}) EXPECT_FALSE(CheckTcpPort(bad)) << bad;
    EXPECT_FALSE(StoredIndex("3", 3));
}

TEST(Replay, LinesComeWholeWithTheirLineEndsAndNulBytes)
{
    TempFolder dir;
    ReplayReader r;
    ASSERT_TRUE(r.Open(dir.Write("a.log", std::string("$A*00\r\n$B\0*00\n\nlast", 19))));
    EXPECT_EQ(ReadAllLines(r), (std::vector<std::string>{"$A*00\r\n", std::string("$B\0*00\n", 7), "\n", "last"}));
}

TEST(Replay, ALongLineComesIn65535BytePieces)
{
    TempFolder dir;
    std::string longLine(70000, 'L');
    ReplayReader r;
    ASSERT_TRUE(r.Open(dir.Write("long.log", longLine + "\nnext\n")));
    std::vector<std::string> lines = ReadAllLines(r);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 65535u);
    EXPECT_EQ(lines[1], std::string(70000 - 65535, 'L') + "\n");
    EXPECT_EQ(lines[2], "next\n");
}

// The reader takes the file a block at a time: lines of every length across
// the blocks' edges come whole, and the end is met only by reading past it.
TEST(Replay, LinesAcrossTheReadersBlocksComeWhole)
{
    TempFolder dir;
    std::vector<std::string> lines;
    std::string content;
    for (size_t n = 0; content.size() < 200000; ++n) {
        lines.push_back(std::string(n % 301, static_cast<char>('a' + n % 26)) + "\n");
        content += lines.back();
    }
    ReplayReader r;
    ASSERT_TRUE(r.Open(dir.Write("many.log", content)));
    EXPECT_EQ(ReadAllLines(r), lines);
    // A file ending with a whole line is not at its end until a read finds nothing more.
    for (size_t size : {65535u, 65536u, 65537u}) {
        ASSERT_TRUE(r.Open(dir.Write("edge.log", std::string(size - 1, 'E') + "\n")));
        std::string line;
        EXPECT_TRUE(r.ReadLine(line));
        EXPECT_EQ(line.size(), std::min<size_t>(size, ReplayReader::MaxLine)) << size;
        if (size > ReplayReader::MaxLine) {
            EXPECT_TRUE(r.ReadLine(line));   // the piece past the longest
        }
        EXPECT_FALSE(r.AtEnd()) << size;
        EXPECT_FALSE(r.ReadLine(line));
        EXPECT_TRUE(r.AtEnd());
        // The last line without a line end: the end is met as it is read.
        ASSERT_TRUE(r.Open(dir.Write("tail.log", std::string(size - 1, 'T'))));
        EXPECT_EQ(ReadAllLines(r).back().back(), 'T');
        EXPECT_TRUE(r.AtEnd());
    }
}

TEST(Replay, OnlyRegularFilesOpen)
{
    TempFolder dir;
    ReplayReader r;
    EXPECT_FALSE(r.Open(dir.path + "/missing.log"));
    EXPECT_FALSE(r.Open(dir.path));
    EXPECT_FALSE(r.Open("/dev/null"));
    std::string fifo = dir.path + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(r.Open(fifo));   // refused, without waiting for a writer
    EXPECT_FALSE(r.IsOpen());
    EXPECT_TRUE(r.AtEnd());
    ASSERT_TRUE(r.Open(dir.Write("empty.log", "")));
    std::string line;
    EXPECT_FALSE(r.ReadLine(line));
    EXPECT_TRUE(r.AtEnd());
}
