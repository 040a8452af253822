// The data-file corpus: every file under tests/corpus/ (bmp/, tga/, shader/, height/) goes through the
// reader the program uses for it, and must give the outcome that tests/corpus/expected.txt states for it.
// The manifest and the folder must list the same files, and make_corpus.sh must write them byte for byte.
//
// The corpus folder comes from the environment variable MARIVELLE_CORPUS_DIR, else from the compile
// definition of the same name.

#include "assets/image.h"
#include "assets/shader.h"
#include "platform/headless/headless.h"
#include "scene/sand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

enum class Kind { Bmp, Tga, Shader, HeightMap, Unknown };

struct Entry {
    std::string path;  // relative to the corpus folder
    Kind kind = Kind::Unknown;
    bool accept = false;
    std::vector<long long> numbers;
    int line = 0;
};

struct Manifest {
    std::vector<Entry> entries;
    std::vector<std::string> errors;  // malformed lines, each with its line number
};

std::string corpusDir()
{
    if (const char* fromEnvironment = std::getenv("MARIVELLE_CORPUS_DIR")) {
        return fromEnvironment;
    }
#ifdef MARIVELLE_CORPUS_DIR
    return MARIVELLE_CORPUS_DIR;
#else
    return "";
#endif
}

Kind kindOf(const std::string& path)
{
    const std::string extension = fs::path(path).extension().string();
    if (extension == ".bmp") {
        return Kind::Bmp;
    }
    if (extension == ".tga") {
        return Kind::Tga;
    }
    if (extension == ".vp" || extension == ".fp") {
        return Kind::Shader;
    }
    if (extension == ".raw") {
        return Kind::HeightMap;
    }
    return Kind::Unknown;
}

// How many numbers a line of each kind and outcome carries; -1 where the outcome is not allowed.
int numbersExpected(Kind kind, bool accept)
{
    switch (kind) {
    case Kind::Bmp:
        return accept ? 2 : 0;
    case Kind::Tga:
        return 2;
    case Kind::Shader:
        return accept ? 1 : 0;
    case Kind::HeightMap:
        return accept ? 1 : -1;  // an existing file is always read
    default:
        return -1;
    }
}

Manifest readManifest(const std::string& file)
{
    Manifest manifest;
    std::ifstream in(file);
    if (!in) {
        manifest.errors.push_back("cannot open " + file);
        return manifest;
    }
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        if (text.empty() || text[0] == '#') {
            continue;
        }
        std::istringstream fields(text);
        Entry entry;
        std::string outcome;
        fields >> entry.path >> outcome;
        long long number;
        while (fields >> number) {
            entry.numbers.push_back(number);
        }
        entry.line = line;
        entry.kind = kindOf(entry.path);
        entry.accept = outcome == "accept";
        const bool wellFormed = fields.eof() && (outcome == "accept" || outcome == "refuse") &&
                                numbersExpected(entry.kind, entry.accept) ==
                                    static_cast<int>(entry.numbers.size());
        if (!wellFormed) {
            manifest.errors.push_back("line " + std::to_string(line) + ": '" + text + "'");
            continue;
        }
        manifest.entries.push_back(entry);
    }
    return manifest;
}

// The manifest, read once; a missing corpus folder or a malformed line fails the test that asks.
const Manifest& manifest()
{
    static const Manifest read = readManifest(corpusDir() + "/expected.txt");
    return read;
}

std::vector<Entry> entriesOf(Kind kind)
{
    std::vector<Entry> selected;
    for (const Entry& entry : manifest().entries) {
        if (entry.kind == kind) {
            selected.push_back(entry);
        }
    }
    return selected;
}

Bytes readBytes(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every regular file inside the subfolders of root, as paths relative to root. Files directly in root
// (the manifest and the scripts) are not data.
std::set<std::string> dataFilesUnder(const fs::path& root)
{
    std::set<std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const fs::path relative = fs::relative(item.path(), root);
        if (item.is_regular_file() && relative.has_parent_path()) {
            files.insert(relative.generic_string());
        }
    }
    return files;
}

std::set<std::string> manifestPaths()
{
    std::set<std::string> paths;
    for (const Entry& entry : manifest().entries) {
        paths.insert(entry.path);
    }
    return paths;
}

uint32_t le32(const Bytes& b, size_t at)
{
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

class CorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(corpusDir().empty()) << "set MARIVELLE_CORPUS_DIR to the corpus folder";
        ASSERT_TRUE(fs::is_directory(corpusDir())) << corpusDir();
        for (const std::string& error : manifest().errors) {
            ADD_FAILURE() << "expected.txt: " << error;
        }
    }

    std::string pathOf(const Entry& entry) const { return corpusDir() + "/" + entry.path; }
};

// A temporary folder that is removed again, with the working directory moved into it while it lives.
class TemporaryWorkingFolder {
public:
    TemporaryWorkingFolder() : previous_(fs::current_path())
    {
        char pattern[] = "/tmp/marivelle-corpus-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            folder_ = pattern;
            fs::current_path(folder_);
        }
    }
    ~TemporaryWorkingFolder()
    {
        fs::current_path(previous_);
        if (!folder_.empty()) {
            std::error_code ignored;
            fs::remove_all(folder_, ignored);
        }
    }
    TemporaryWorkingFolder(const TemporaryWorkingFolder&) = delete;
    TemporaryWorkingFolder& operator=(const TemporaryWorkingFolder&) = delete;
    const fs::path& folder() const { return folder_; }

private:
    fs::path previous_;
    fs::path folder_;
};

// ---------------------------------------------------------------------------------------------- manifest

TEST_F(CorpusTest, ManifestAndFolderListTheSameFiles)
{
    const std::set<std::string> onDisk = dataFilesUnder(corpusDir());
    std::set<std::string> listed;
    for (const Entry& entry : manifest().entries) {
        EXPECT_TRUE(listed.insert(entry.path).second) << entry.path << " listed twice (line " << entry.line << ")";
    }
    for (const std::string& path : onDisk) {
        EXPECT_TRUE(listed.count(path)) << path << " is in the corpus but not in expected.txt";
    }
    for (const std::string& path : listed) {
        EXPECT_TRUE(onDisk.count(path)) << path << " is in expected.txt but not in the corpus";
    }
    // Every reader has cases on both sides where both exist, so an emptied manifest cannot pass.
    for (Kind kind : {Kind::Bmp, Kind::Tga, Kind::Shader}) {
        const auto entries = entriesOf(kind);
        EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const Entry& e) { return e.accept; }));
        EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const Entry& e) { return !e.accept; }));
    }
    EXPECT_FALSE(entriesOf(Kind::HeightMap).empty());
}

TEST_F(CorpusTest, GeneratorWritesEveryFileByteForByte)
{
    TemporaryWorkingFolder scratch;
    ASSERT_FALSE(scratch.folder().empty());
    const std::string command =
        "bash '" + corpusDir() + "/make_corpus.sh' '" + scratch.folder().string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(dataFilesUnder(scratch.folder()), manifestPaths());
    for (const Entry& entry : manifest().entries) {
        EXPECT_TRUE(readBytes(pathOf(entry)) == readBytes((scratch.folder() / entry.path).string()))
            << entry.path << " differs from what make_corpus.sh writes";
    }
}

// ---------------------------------------------------------------------------------------------- images

// An accepted BMP: the stated size, the BMP formats, and the rows of the file with the bottom row first
// (a file with a negative height stores its top row first, so its rows come out reversed).
TEST_F(CorpusTest, BmpFilesGiveTheirStatedOutcome)
{
    const auto entries = entriesOf(Kind::Bmp);
    ASSERT_FALSE(entries.empty());
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.path);
        DecodedImage image;
        const bool read = readBmpImage(pathOf(entry).c_str(), &image);
        ASSERT_EQ(read, entry.accept);
        if (!read) {
            EXPECT_EQ(image.pixels, nullptr);
            continue;
        }
        ASSERT_NE(image.pixels, nullptr);
        EXPECT_EQ(image.width, entry.numbers[0]);
        EXPECT_EQ(image.height, entry.numbers[1]);
        EXPECT_EQ(image.pixelFormat, static_cast<GLenum>(GL_BGR_EXT));
        EXPECT_EQ(image.internalFormat, static_cast<GLenum>(GL_RGB));
        const Bytes file = readBytes(pathOf(entry));
        const size_t offset = le32(file, 10);
        const bool topDown = static_cast<int32_t>(le32(file, 22)) < 0;
        const size_t rowBytes = (static_cast<size_t>(entry.numbers[0]) * 3 + 3) / 4 * 4;
        const size_t rows = static_cast<size_t>(entry.numbers[1]);
        ASSERT_LE(offset + rowBytes * rows, file.size());
        for (size_t row = 0; row < rows; ++row) {
            const size_t fileRow = topDown ? rows - 1 - row : row;
            EXPECT_EQ(std::memcmp(image.pixels + row * rowBytes, file.data() + offset + fileRow * rowBytes, rowBytes), 0)
                << "row " << row;
        }
        std::free(image.pixels);
    }
}

// A TGA reports the header's size whatever the outcome; an accepted one has the formats of its depth and
// the bytes that follow the header and the image ID, unchanged.
TEST_F(CorpusTest, TgaFilesGiveTheirStatedOutcome)
{
    const auto entries = entriesOf(Kind::Tga);
    ASSERT_FALSE(entries.empty());
    const std::map<int, std::pair<GLenum, GLenum>> formatsByDepth = {
        {8, {GL_LUMINANCE, GL_LUMINANCE8}}, {24, {GL_BGR_EXT, GL_RGB8}}, {32, {GL_BGRA_EXT, GL_RGBA8}}};
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.path);
        DecodedImage image;
        const bool read = readTgaImage(pathOf(entry).c_str(), &image);
        ASSERT_EQ(read, entry.accept);
        EXPECT_EQ(image.width, entry.numbers[0]);
        EXPECT_EQ(image.height, entry.numbers[1]);
        if (!read) {
            EXPECT_EQ(image.pixels, nullptr);
            continue;
        }
        ASSERT_NE(image.pixels, nullptr);
        const Bytes file = readBytes(pathOf(entry));
        const auto formats = formatsByDepth.find(file[16]);
        ASSERT_NE(formats, formatsByDepth.end()) << "accepted depth " << int(file[16]);
        EXPECT_EQ(image.pixelFormat, formats->second.first);
        EXPECT_EQ(image.internalFormat, formats->second.second);
        const size_t offset = 18 + file[0];
        const size_t pixelBytes = static_cast<size_t>(entry.numbers[0]) * entry.numbers[1] * (file[16] / 8);
        ASSERT_LE(offset + pixelBytes, file.size());
        EXPECT_EQ(std::memcmp(image.pixels, file.data() + offset, pixelBytes), 0);
        std::free(image.pixels);
    }
}

// ---------------------------------------------------------------------------------------------- shaders

// Read with the program's limit into a buffer of exactly limit + 1 bytes: an accepted source is the file's
// characters and a zero; a refused one leaves the buffer as it was.
TEST_F(CorpusTest, ShaderSourcesGiveTheirStatedOutcome)
{
    const auto entries = entriesOf(Kind::Shader);
    ASSERT_FALSE(entries.empty());
    constexpr char kUntouched = '\x5a';
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.path);
        std::vector<char> buffer(kMaxShaderSourceLength + 1, kUntouched);
        const bool read = readShaderSourceFile(pathOf(entry).c_str(), buffer.data(), kMaxShaderSourceLength);
        ASSERT_EQ(read, entry.accept);
        if (!read) {
            EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kUntouched), kMaxShaderSourceLength + 1);
            continue;
        }
        const size_t count = static_cast<size_t>(entry.numbers[0]);
        ASSERT_LE(count, static_cast<size_t>(kMaxShaderSourceLength));
        const Bytes file = readBytes(pathOf(entry));
        ASSERT_GE(file.size(), count);
        EXPECT_TRUE(count == 0 || std::memcmp(buffer.data(), file.data(), count) == 0);
        EXPECT_EQ(buffer[count], '\0') << "source not terminated right after character " << count;
    }
}

// ---------------------------------------------------------------------------------------------- height map

// Each file becomes "Batman.raw" in a fresh working folder; the map starts zero, as at program start, and
// must then hold the stated number of the file's bytes and zero after them, with no message shown.
TEST_F(CorpusTest, HeightMapsGiveTheirStatedOutcome)
{
    const auto entries = entriesOf(Kind::HeightMap);
    ASSERT_FALSE(entries.empty());
    const std::vector<uint8_t> zeros(sizeof sandHeightMap.samples, 0);
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.path);
        const Bytes file = readBytes(pathOf(entry));
        TemporaryWorkingFolder scratch;
        ASSERT_FALSE(scratch.folder().empty());
        fs::copy_file(pathOf(entry), scratch.folder() / "Batman.raw");
        std::memset(sandHeightMap.samples, 0, sizeof sandHeightMap.samples);
        headlessClearMessages();
        loadHeightMap();
        EXPECT_TRUE(headlessGetMessages().empty()) << "shown: " << headlessGetMessages().front().text;
        const size_t count = static_cast<size_t>(entry.numbers[0]);
        ASSERT_LE(count, sizeof sandHeightMap.samples);
        ASSERT_GE(file.size(), count);
        EXPECT_TRUE(count == 0 || std::memcmp(sandHeightMap.samples, file.data(), count) == 0);
        EXPECT_EQ(std::memcmp(sandHeightMap.samples + count, zeros.data(), sizeof sandHeightMap.samples - count), 0)
            << "map not zero after byte " << count;
    }
}

}  // namespace
