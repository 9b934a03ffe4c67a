// The atlas loader against files a hostile user leaves at its name: chunks
// that declare more than the file holds, files that are no PNG however big,
// and names that point at a FIFO, a device or a folder. Each must fail at
// once, without large allocations, reads or waits.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <sstream>

#include "platform/sprite/texture_loader.h"
#include "png_files.h"

namespace {

// Bytes this process has read through read() so far (Linux /proc).
std::uint64_t bytes_read_so_far() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}

std::vector<unsigned char> corpus_file(const std::string& name) {
    return read_file(std::string(POKOMARU_SOURCE_DIR) + "/fuzz/corpus/png/" + name);
}

void put_be32(std::vector<unsigned char>& bytes, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(v >> (24 - 8 * i)));
}

// A valid 8 x 8 image followed by one more chunk before IEND.
std::vector<unsigned char> png_with_chunk(const char* type, std::uint32_t declared, std::size_t actual) {
    std::vector<std::uint32_t> texels(64, 0xFF204080u);
    const std::string path = scratch_path("base.png");
    EXPECT_TRUE(write_png(path, rgba_png(8, 8, texels)));
    std::vector<unsigned char> good = read_file(path);
    const std::size_t iend = good.size() - 12;
    std::vector<unsigned char> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(iend));
    put_be32(bytes, declared);
    const std::size_t type_at = bytes.size();
    bytes.insert(bytes.end(), type, type + 4);
    for (std::size_t i = 0; i < actual; ++i) bytes.push_back(static_cast<unsigned char>('a' + i % 26));
    if (actual == declared) put_be32(bytes, static_cast<std::uint32_t>(crc32(0, &bytes[type_at], static_cast<uInt>(actual + 4))));
    if (actual == declared) bytes.insert(bytes.end(), good.begin() + static_cast<std::ptrdiff_t>(iend), good.end());
    return bytes;
}

TEST(HostileChunks, TextChunkDeclaringTwoGibibytesFailsWithoutAllocatingThem) {
    // The 50-byte file the fuzzer found: IHDR, then a tEXt chunk that
    // declares 0x798E056A bytes and holds nine.
    const std::vector<unsigned char> bytes = corpus_file("text_chunk_declares_2gib.png");
    ASSERT_EQ(bytes.size(), 50u);
    DecodedImage out;
    EXPECT_EQ(decode_png(bytes.data(), bytes.size(), out), ImageError::Corrupt);
    EXPECT_LT(png_detail::largest_library_allocation, std::size_t{1} << 20);
    EXPECT_TRUE(out.image.texels.empty());
}

TEST(HostileChunks, AnyChunkLongerThanTheBytesLeftIsCorrupt) {
    for (const char* type : {"tEXt", "zTXt", "iTXt", "iCCP", "IDAT", "prVt"}) {
        const std::vector<unsigned char> bytes = png_with_chunk(type, 50'000'000, 40);
        DecodedImage out;
        EXPECT_EQ(decode_png(bytes.data(), bytes.size(), out), ImageError::Corrupt) << type;
        EXPECT_LT(png_detail::largest_library_allocation, std::size_t{1} << 20) << type;
    }
}

TEST(HostileChunks, HonestAncillaryChunksStillLoad) {
    // The same layout with the chunk whole: the check is about lengths, not
    // about the chunk being there.
    const std::vector<unsigned char> bytes = png_with_chunk("tEXt", 40, 40);
    DecodedImage out;
    ASSERT_EQ(decode_png(bytes.data(), bytes.size(), out), ImageError::None);
    EXPECT_EQ(out.image.width, 8);
    EXPECT_EQ(out.image.at(3, 3), 0xFF204080u);
}

class HostileAtlasNames : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(path_);
    }
    void TearDown() override { std::filesystem::remove_all(path_); }
    std::string path_ = scratch_path("hostile_bitmap.png");
};

TEST_F(HostileAtlasNames, BigForeignFileIsJudgedByItsFirstBytes) {
    // A sparse 100 MiB file of zeros: below the size cap, not a PNG.
    {
        std::ofstream out(path_, std::ios::binary);
        out << "JFIF not a png";
    }
    ASSERT_EQ(truncate(path_.c_str(), 100 << 20), 0);
    const std::uint64_t before = bytes_read_so_far();
    DecodedImage out;
    EXPECT_EQ(decode_png_file(path_.c_str(), out), ImageError::NotPng);
    EXPECT_LT(bytes_read_so_far() - before, std::uint64_t{1} << 20) << "read past the signature";
}

TEST_F(HostileAtlasNames, FileAboveTheCapIsRefusedUnread) {
    {
        std::ofstream out(path_, std::ios::binary);
        out.write("\x89PNG\r\n\x1a\n", 8);
    }
    ASSERT_EQ(truncate(path_.c_str(), static_cast<off_t>(max_png_file_size + 1)), 0);
    const std::uint64_t before = bytes_read_so_far();
    DecodedImage out;
    EXPECT_EQ(decode_png_file(path_.c_str(), out), ImageError::TooLarge);
    EXPECT_LT(bytes_read_so_far() - before, std::uint64_t{1} << 20);
}

TEST_F(HostileAtlasNames, LinkToAnEndlessDeviceCannotBeOpened) {
    std::filesystem::create_symlink("/dev/zero", path_);
    const std::uint64_t before = bytes_read_so_far();
    DecodedImage out;
    EXPECT_EQ(decode_png_file(path_.c_str(), out), ImageError::CannotOpen);
    EXPECT_LT(bytes_read_so_far() - before, std::uint64_t{1} << 20);
}

TEST_F(HostileAtlasNames, FolderCannotBeOpened) {
    std::filesystem::create_directory(path_);
    DecodedImage out;
    EXPECT_EQ(decode_png_file(path_.c_str(), out), ImageError::CannotOpen);
    TextureImage texture;
    EXPECT_EQ(load_texture_image(path_.c_str(), TextureRequest{}, texture), ImageError::CannotOpen);
}

TEST_F(HostileAtlasNames, FifoCannotBeOpenedAndDoesNotWait) {
    ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    const std::string path = path_;
    auto load = std::async(std::launch::async, [path] {
        DecodedImage out;
        return decode_png_file(path.c_str(), out);
    });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        const int unblock = open(path_.c_str(), O_WRONLY | O_NONBLOCK);  // sets the reader free
        load.wait();
        if (unblock >= 0) close(unblock);
        FAIL() << "decode_png_file waited on the FIFO for 10 s";
    }
    EXPECT_EQ(load.get(), ImageError::CannotOpen);
}

}  // namespace
