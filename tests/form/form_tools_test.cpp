// Finding a stream inside a larger file, and the two tools run
// as the build and a developer run them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

#include "form/form_stream_reader.h"
#include "form/form_stream_writer.h"
#include "form/stream_locator.h"
#include "form_test_support.h"

namespace morvane::form {
namespace {

namespace fs = std::filesystem;
using test::put_u32;

std::vector<std::uint8_t> junk(std::size_t n, std::uint8_t seed) {
  std::vector<std::uint8_t> b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
  return b;
}

std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(StreamLocator, FindsTheStreamBetweenJunkAndADecoyHeader) {
  const auto stream = write_form_stream(app::form1_model(test::synthetic_pictures(5, 5)));
  const std::vector<std::uint8_t> decoy(stream.begin(), stream.begin() + 60);  // a header, then nothing sensible
  const auto file = concat({junk(1000, 3), decoy, junk(33, 9), stream, junk(500, 1)});

  const auto found = find_form_streams(file, app::form1_id());
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].offset, 1000u);
  EXPECT_THROW(read_form_stream(found[0].bytes), FormStreamError);
  EXPECT_EQ(found[1].offset, 1093u);
  ASSERT_EQ(found[1].bytes.size(), stream.size());  // cut where its form record length ends
  EXPECT_TRUE(std::equal(stream.begin(), stream.end(), found[1].bytes.begin()));

  EXPECT_TRUE(find_form_streams(file, Guid::parse("{33AD4F3A-6699-11CF-B70C-00AA0060D393}")).empty());  // another form's id is not this form's
  EXPECT_TRUE(find_form_streams(std::span(stream).first(20), app::form1_id()).empty());
}

TEST(StreamLocator, RunsToTheFileEndWhenTheLengthDoesNotFit) {
  auto stream = write_form_stream(app::form1_model(test::synthetic_pictures(5, 5)));
  put_u32(stream, 89, 0xFFFFFFF0);
  const auto file = concat({junk(10, 1), stream});
  const auto found = find_form_streams(file, app::form1_id());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].bytes.size(), stream.size());
  const auto cut = std::span(file).first(10 + 91);  // the length field itself cut short
  ASSERT_EQ(find_form_streams(cut, app::form1_id()).size(), 1u);
  EXPECT_EQ(find_form_streams(cut, app::form1_id())[0].bytes.size(), 91u);
}

class FormTools : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("morvane-form-tools-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path write(const std::string& name, std::span<const std::uint8_t> bytes) {
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return dir / name;
  }
  std::vector<std::uint8_t> read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  std::string text(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Runs a command line with stdout and stderr to files; returns the exit status.
  int run(const std::string& command) {
    const int status = std::system((command + " >" + (dir / "out.txt").string() + " 2>" +
                                    (dir / "err.txt").string()).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path dir;
};

TEST_F(FormTools, MakeFormStreamLaysOutForm1FromFourBitmaps) {
  const app::Form1Pictures pictures = test::synthetic_pictures();
  const auto enzyme = write("enzyme.bmp", pictures.enzyme);
  const auto substrate = write("substrate.bmp", pictures.substrate);
  const auto product = write("product.bmp", pictures.product);
  const auto complex = write("complex.bmp", pictures.complex);
  const std::string tool = MORVANE_MAKE_FORM_STREAM_PATH;
  const std::string args = enzyme.string() + " " + substrate.string() + " " + product.string() + " " +
                           complex.string() + " ";

  ASSERT_EQ(run(tool + " " + args + (dir / "form1.frm").string()), 0) << text(dir / "err.txt");
  EXPECT_EQ(read(dir / "form1.frm"), write_form_stream(app::form1_model(pictures)));

  // A picture that is no usable bitmap stops the tool before it writes anything.
  auto bad = pictures.product;
  bad[28] = 8;  // 8 bits per pixel
  write("product.bmp", bad);
  EXPECT_EQ(run(tool + " " + args + (dir / "again.frm").string()), 1);
  EXPECT_NE(text(dir / "err.txt").find("product.bmp"), std::string::npos) << text(dir / "err.txt");
  EXPECT_FALSE(fs::exists(dir / "again.frm"));
  EXPECT_EQ(run(tool + " " + enzyme.string()), 2);
}

TEST_F(FormTools, FormdumpPrintsExtractsAndRefuses) {
  const auto stream = write_form_stream(app::form1_model(test::synthetic_pictures()));
  const std::string tool = MORVANE_FORMDUMP_PATH;

  const auto carrier = write("carrier.exe", concat({junk(4096, 5), std::vector<std::uint8_t>(stream.begin(),
                                                                                              stream.begin() + 53),
                                                    junk(64, 2), stream, junk(2048, 8)}));
  ASSERT_EQ(run(tool + " " + carrier.string() + " --extract " + (dir / "found.frm").string()), 0)
      << text(dir / "err.txt");
  EXPECT_EQ(read(dir / "found.frm"), stream);
  const std::string dump = text(dir / "out.txt");
  for (const char* line : {"Form description stream: 497718 bytes at offset 4213 of",
                           "Control 4: \"Picture2\" (picture box), record of 124368 bytes at offset 248922",
                           "  0x2E tag: \"substrate\" (9 characters)",
                           "  0x03 picture: 124290 bytes of image data, bitmap 203 x 203, 24 bits per pixel",
                           "  0x0A visible: no", "  0x1D font: \"Comic Sans MS\" 14.25 pt, weight 400",
                           "  0x35 client area: left 60, top 450, width 9945, height 7650 twips"})
    EXPECT_NE(dump.find(line), std::string::npos) << line << "\n" << dump;

  auto bad = stream;
  bad[240 + 4] = 9;  // Picture4's control number
  const auto bad_file = write("bad.frm", bad);
  EXPECT_EQ(run(tool + " " + bad_file.string()), 1);
  EXPECT_NE(text(dir / "err.txt").find("offset 244: expected control number 2"), std::string::npos)
      << text(dir / "err.txt");
  // A picture that the program would refuse is reported with its box and stream offset,
  // not printed as if it were valid: Picture4's bitmap starts 8 bytes after its "lt\0\0".
  auto wide = stream;
  const std::size_t bitmap = 270;
  ASSERT_EQ(std::string(wide.begin() + bitmap - 8, wide.begin() + bitmap - 6), "lt");
  put_u32(wide, bitmap + 18, 0x80000000u);  // width
  EXPECT_EQ(run(tool + " " + write("wide.frm", wide).string()), 1);
  EXPECT_NE(text(dir / "err.txt").find("stream offset 288: the picture of Picture4 does not decode"), std::string::npos)
      << text(dir / "err.txt");
  EXPECT_EQ(text(dir / "out.txt").find("bitmap -2147483648"), std::string::npos) << text(dir / "out.txt");

  EXPECT_EQ(run(tool + " " + write("junk.bin", junk(100, 1)).string()), 1);
  EXPECT_EQ(run(tool), 2);
}

}  // namespace
}  // namespace morvane::form
