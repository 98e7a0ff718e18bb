#include "console/outTxt.h"
#include "scene/data3D.h"
#include "scene/imageDecode.h"

#include "sgiFiles.h"
#include "consoleText.h"
#include "tempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// ImageMagick writes the test images; a stand-in named convert may shadow it on PATH
std::string convertTool()
{
    return std::filesystem::exists("/usr/bin/convert") ? "/usr/bin/convert" : "convert";
}

bool haveConvert()
{
    static const bool ok = std::system((convertTool() + " -version >/dev/null 2>&1").c_str()) == 0;
    return ok;
}

bool convert(const std::string& args)
{
    return std::system((convertTool() + " " + args + " 2>/dev/null").c_str()) == 0;
}

const int W = 5;
const int H = 3;

// pixel (x, y) of the source, y counted from the top row
unsigned char srcPixel(int x, int y, int c)
{
    return (unsigned char)(x * 40 + y * 11 + c * 60 + 3);
}

// the source as a PAM file, top row first
void writePam(const std::string& name, bool alpha)
{
    const int ch = alpha ? 4 : 3;
    std::string f = "P7\nWIDTH " + std::to_string(W) + "\nHEIGHT " + std::to_string(H) + "\nDEPTH " +
                    std::to_string(ch) + "\nMAXVAL 255\nTUPLTYPE " + (alpha ? "RGB_ALPHA" : "RGB") + "\nENDHDR\n";
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            for (int c = 0; c < ch; c++)
                f += char(srcPixel(x, y, c));
    writeFile(name, f);
}

// the texture record holds the bottom row first
void expectSource(const texture3D* t, int ch)
{
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->width, W);
    ASSERT_EQ(t->height, H);
    ASSERT_EQ(t->components, ch);
    ASSERT_NE(t->pixels, nullptr);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            for (int c = 0; c < ch; c++)
                ASSERT_EQ(t->pixels[size_t((y * W + x) * ch + c)], srcPixel(x, H - 1 - y, c))
                    << "x " << x << " y " << y << " c " << c;
}

std::string be32(unsigned v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// a Sun raster of the source written by hand: type 1 (blue first) or 2 (run-length)
std::string sunRaster(int type, bool alpha)
{
    const int bpp = alpha ? 4 : 3;
    const int rowBytes = (W * bpp + 1) & ~1;
    std::string body;
    for (int y = 0; y < H; y++) {
        std::string row;
        for (int x = 0; x < W; x++) {
            if (alpha)
                row += char(srcPixel(x, y, 3));
            row += char(srcPixel(x, y, 2));
            row += char(srcPixel(x, y, 1));
            row += char(srcPixel(x, y, 0));
        }
        row.resize(size_t(rowBytes), '\0');
        body += row;
    }
    if (type == 2) {
        // runs of equal bytes as 0x80 n b, a literal 0x80 as 0x80 0
        std::string rle;
        for (size_t i = 0; i < body.size();) {
            size_t n = 1;
            while (i + n < body.size() && body[i + n] == body[i] && n < 256)
                n++;
            if (n >= 3 || body[i] == char(0x80)) {
                if (n == 1 && body[i] == char(0x80)) {
                    rle += char(0x80);
                    rle += char(0);
                } else {
                    rle += char(0x80);
                    rle += char(n - 1);
                    rle += body[i];
                }
                i += n;
            } else {
                rle += body[i++];
            }
        }
        body = rle;
    }
    return be32(0x59a66a95) + be32(W) + be32(H) + be32(unsigned(bpp * 8)) + be32(unsigned(body.size())) +
           be32(unsigned(type)) + be32(0) + be32(0) + body;
}

class ImageTest : public ::testing::Test {
protected:
    tempDir dir;
    std::unique_ptr<outTxt> console = std::make_unique<outTxt>();
    std::unique_ptr<data3D> store = std::make_unique<data3D>(console.get());
    bool logged(const std::string& s) const { return consoleText(*console).find(s) != std::string::npos; }
};

}  // namespace

TEST_F(ImageTest, SgiFilesOfAnotherWriterLoadOncePerInit)
{
    if (!haveConvert())
        GTEST_SKIP() << "ImageMagick is not installed";
    writePam("src.pam", false);
    writePam("srca.pam", true);
    ASSERT_TRUE(convert("src.pam -depth 8 -compress None -type TrueColor sgi:rgb.rgb"));
    ASSERT_TRUE(convert("srca.pam -depth 8 -compress None -type TrueColorAlpha sgi:rgba.rgba"));
    ASSERT_TRUE(convert("src.pam -depth 8 -compress RLE -type TrueColor sgi:rle.rgb"));

    store->verbose = 1;
    EXPECT_EQ(store->load_sgi("rgb.rgb"), 1);
    expectSource(store->getTex2D(1), 3);
    EXPECT_EQ(store->load_sgi("rgba.rgba"), 2);
    expectSource(store->getTex2D(2), 4);
    EXPECT_TRUE(logged("\t\t\t\tdata3D::load_sgi: load> rgb.rgb\n"));
    EXPECT_TRUE(logged("\t\t\t\tdata3D::load_sgi:dimC 4  dimX 5 dimY 3\n"));
    EXPECT_EQ(store->getTotalTexBytes(), W * H * 3 + W * H * 4);

    // the same name again reads no file
    std::filesystem::remove("rgb.rgb");
    EXPECT_EQ(store->load_sgi("rgb.rgb"), 1);
    EXPECT_TRUE(logged("\t\t\t\tdata3D::load_sgi:  mem> rgb.rgb\n"));
    EXPECT_EQ(store->getNumTex(), 3);

    // run-length encoded files are not for this reader
    EXPECT_EQ(store->load_sgi("rle.rgb"), -1);
    EXPECT_TRUE(logged("data3D::load_sgi: wrong format 2:(0) in rle.rgb\n"));
    EXPECT_EQ(store->load_sgi("gone.rgb"), -1);
    EXPECT_TRUE(logged("\t\t\tdata3D::load_sgi: can't open gone.rgb\n"));
    EXPECT_EQ(store->getNumTex(), 3);

    // init forgets the names: the file is read again
    ASSERT_TRUE(convert("src.pam -depth 8 -compress None -type TrueColor sgi:rgb.rgb"));
    store->init();
    EXPECT_EQ(store->load_sgi("rgb.rgb"), 1);
    EXPECT_EQ(store->getTotalTexBytes(), W * H * 3);
}

TEST_F(ImageTest, MultiFormatReaderDecodesSgiTargaAndSunRaster)
{
    if (!haveConvert())
        GTEST_SKIP() << "ImageMagick is not installed";
    writePam("src.pam", false);
    writePam("srca.pam", true);
    struct {
        const char* args;
        const char* file;
        int ch;
    } made[] = {
        {"src.pam -depth 8 -compress None -type TrueColor sgi:", "plain.sgi", 3},
        {"src.pam -depth 8 -compress RLE -type TrueColor sgi:", "rle.rgb", 3},
        {"srca.pam -depth 8 -compress RLE -type TrueColorAlpha sgi:", "rlea.rgba", 4},
        // ImageMagick writes rows in the order it holds them and only flags the
        // origin, so a bottom-left file is made from the flipped source
        {"src.pam -flip -orient BottomLeft -compress None tga:", "bottom.tga", 3},
        {"srca.pam -flip -orient BottomLeft -compress None tga:", "bottoma.TGA", 4},
        {"src.pam -orient TopLeft -compress None tga:", "top.tga", 3},
        {"srca.pam -flip -orient BottomLeft -compress RLE tga:", "rlea.tga", 4},
        {"src.pam -compress RLE -orient TopLeft tga:", "rletop.tga", 3},
        {"src.pam sun:", "rgb.ras", 3},
        {"srca.pam sun:", "argb.ras", 4},
    };
    for (const auto& m : made) {
        SCOPED_TRACE(m.file);
        ASSERT_TRUE(convert(std::string(m.args) + m.file)) << m.file;
        const int i = store->load_BriskImage(m.file);
        ASSERT_GT(i, 0) << m.file << "\n" << console->getText();
        expectSource(store->getTex2D(i), m.ch);
    }
    for (int type : {1, 2}) {
        for (bool alpha : {false, true}) {
            const std::string name = "hand" + std::to_string(type) + (alpha ? "a" : "") + ".ras";
            SCOPED_TRACE(name);
            writeFile(name, sunRaster(type, alpha));
            const int i = store->load_BriskImage(name.c_str());
            ASSERT_GT(i, 0) << name;
            expectSource(store->getTex2D(i), alpha ? 4 : 3);
        }
    }

    // grey SGI images become RGB
    ASSERT_TRUE(convert("src.pam -colorspace gray -depth 8 -compress None sgi:grey.bw"));
    const int g = store->load_BriskImage("grey.bw");
    ASSERT_GT(g, 0);
    const texture3D* t = store->getTex2D(g);
    EXPECT_EQ(t->components, 3);
    EXPECT_EQ(t->pixels[0], t->pixels[1]);
    EXPECT_EQ(t->pixels[1], t->pixels[2]);

    // the same name is looked up, not read again
    EXPECT_EQ(store->load_BriskImage("top.tga"), store->load_BriskImage("top.tga"));
    const int before = store->getNumTex();
    writeFile("pic.png", "not read");
    EXPECT_EQ(store->load_BriskImage("pic.png"), -1);
    EXPECT_TRUE(logged("data3D::load_BriskImage: can't load pic.png\n"));
    EXPECT_EQ(store->load_BriskImage("nothere.tga"), -1);
    EXPECT_TRUE(logged("\t\t\tdata3D::load_BriskImage: nothere.tga texture file not found\n"));
    writeFile("short.tga", readFile("bottom.tga").substr(0, 30));
    EXPECT_EQ(store->load_BriskImage("short.tga"), -1);
    EXPECT_EQ(store->getNumTex(), before);
}

TEST_F(ImageTest, ImagesTheReaderCannotHoldAreRefused)
{
    auto sgi = [](int w, int h, int ch, int dim, size_t pixelBytes) {
        std::string f(512, '\0');
        f[0] = char(474 >> 8);
        f[1] = char(474 & 255);
        f[3] = 1;
        f[5] = char(dim);
        f[6] = char(w >> 8);
        f[7] = char(w);
        f[8] = char(h >> 8);
        f[9] = char(h);
        f[11] = char(ch);
        return f + std::string(pixelBytes, '\x7f');
    };
    const struct {
        std::string data;
        const char* msg;
    } cases[] = {
        {sgi(4, 4, 3, 3, 4 * 4 * 3 - 1), "data3D::load_sgi: error truncated pixels in bad.rgb\n"},
        {sgi(4, 4, 1, 3, 16), "data3D::load_sgi: wrong channels 1 (3, 4) in bad.rgb\n"},
        {sgi(4, 4, 2, 3, 32), "data3D::load_sgi: wrong channels 2 (3, 4) in bad.rgb\n"},
        {sgi(600, 600, 3, 3, 0), "data3D::load_sgi: wrong size 600 x 600 (1 .. 262145 pixels) in bad.rgb\n"},
        {sgi(0, 4, 3, 3, 0), "data3D::load_sgi: wrong size 0 x 4"},
        {sgi(4, 4, 3, 2, 48), "data3D::load_sgi: wrong dimension in bad.rgb\n"},
        {sgi(4, 4, 3, 3, 48).substr(0, 100), "data3D::load_sgi: error truncated header in bad.rgb\n"},
        {"GIF89a" + std::string(600, '\0'), "data3D::load_sgi: wrong format 1:(474)in bad.rgb\n"},
        // shorter than a header, and not an SGI file: the format is what it says
        {"GIF89a", "data3D::load_sgi: wrong format 1:(474)in bad.rgb\n"},
        {"", "data3D::load_sgi: wrong format 1:(474)in bad.rgb\n"},
    };
    for (const auto& c : cases) {
        writeFile("bad.rgb", c.data);
        console->prCls();
        EXPECT_EQ(store->load_sgi("bad.rgb"), -1);
        EXPECT_TRUE(logged(c.msg)) << console->getText();
        EXPECT_EQ(store->getNumTex(), 1);
        EXPECT_EQ(store->getTex2D(1)->pixels, nullptr);
    }
    // 512 x 512 is the largest square that fits
    writeFile("big.rgb", sgi(512, 512, 3, 3, size_t(512) * 512 * 3));
    EXPECT_EQ(store->load_sgi("big.rgb"), 1);
    // the live-texture reader has the same rules under its own name
    writeFile("bad.rgb", sgi(4, 4, 1, 3, 16));
    EXPECT_EQ(store->load_dynsgi("bad.rgb"), -1);
    EXPECT_TRUE(logged("data3D::load_dynsgi: wrong channels 1 (3, 4) in bad.rgb\n"));
    EXPECT_EQ(store->getNumDynTex(), 0);

    // a run-length Sun raster that ends on its escape byte: refused, nothing read past its end
    writeFile("cut.ras", be32(0x59a66a95) + be32(1) + be32(1) + be32(24) + be32(1) + be32(2) + be32(0) + be32(0) +
                             "\x80");
    EXPECT_EQ(store->load_BriskImage("cut.ras"), -1);

    // run-length rows that fill their width end there, with or without a 0 after them:
    // a row's length, not the next row's first byte, bounds it
    std::string rle = sgi(2, 1, 3, 3, 0);
    rle[2] = 1;
    const unsigned dataAt = 512 + 3 * 8;
    for (unsigned r = 0; r < 3; r++)
        rle += be32(dataAt + r * 3);
    for (unsigned r = 0; r < 3; r++)
        rle += be32(3);
    for (int r = 0; r < 3; r++)
        rle += std::string{char(0x82), char(10 * r + 1), char(10 * r + 2)};
    rle += '\0';
    writeFile("rows.rgb", rle);
    const int rows = store->load_BriskImage("rows.rgb");
    ASSERT_GE(rows, 0) << consoleText(*console);
    const texture3D* t = store->getTex2D(rows);
    EXPECT_EQ(t->pixels[0], 1);
    EXPECT_EQ(t->pixels[1], 11);
    EXPECT_EQ(t->pixels[5], 22);

    char a[] = "wall.tga";
    char b[] = "wall.rgba";
    char c[] = "ab";
    data3D::namePictoRgb(a);
    data3D::namePictoRgb(b);
    data3D::namePictoRgb(c);
    EXPECT_STREQ(a, "wall.rgb");
    EXPECT_STREQ(b, "wall.rrgb");
    EXPECT_STREQ(c, "ab");
}

TEST_F(ImageTest, SidesWhoseProductWrapsA32BitLongAreRefusedByEveryReader)
{
    // in a 32-bit long (the Windows build) these products wrap to sizes that pass
    const int sides[][2] = {{65535, 65535}, {65535, 32769}, {46341, 46341}, {513, 512}};
    for (const auto& wh : sides)
        EXPECT_FALSE(imageDecode::sizeOk(wh[0], wh[1])) << wh[0] << " x " << wh[1];
    EXPECT_TRUE(imageDecode::sizeOk(512, 512));
    EXPECT_TRUE(imageDecode::sizeOk(65535, 1));
    EXPECT_TRUE(imageDecode::sizeOk(262145, 1));
    EXPECT_FALSE(imageDecode::sizeOk(262146, 1));
    EXPECT_FALSE(imageDecode::sizeOk(0x7fffffffLL, 0x7fffffffLL));
    EXPECT_FALSE(imageDecode::sizeOk(-65535, -65535));

    for (const auto& wh : sides) {
        if (wh[0] * 1LL * wh[1] <= imageDecode::maxPixels)
            continue;
        const unsigned w = unsigned(wh[0]), h = unsigned(wh[1]);
        // SGI through both of its readers, a 2 MB body behind the header
        std::string sgi(512, '\0');
        sgi[0] = char(474 >> 8);
        sgi[1] = char(474 & 255);
        sgi[3] = 1;
        sgi[5] = 3;
        sgi[6] = char(w >> 8);
        sgi[7] = char(w);
        sgi[8] = char(h >> 8);
        sgi[9] = char(h);
        sgi[11] = 3;
        sgi += std::string(2 << 20, '\x55');
        writeFile("huge.rgb", sgi);
        console->prCls();
        EXPECT_EQ(store->load_sgi("huge.rgb"), -1);
        EXPECT_TRUE(logged("data3D::load_sgi: wrong size " + std::to_string(w) + " x " + std::to_string(h)))
            << console->getText();
        EXPECT_EQ(store->load_dynsgi("huge.rgb"), -1);
        // Targa: 16-bit little-endian sides
        std::string tga(18, '\0');
        tga[2] = 2;
        tga[12] = char(w);
        tga[13] = char(w >> 8);
        tga[14] = char(h);
        tga[15] = char(h >> 8);
        tga[16] = 24;
        tga += std::string(1 << 20, '\x33');
        writeFile("huge.tga", tga);
        EXPECT_LT(store->load_BriskImage("huge.tga"), 0) << w << " x " << h;
        // Sun raster: 32-bit big-endian sides
        const std::string ras = be32(0x59a66a95) + be32(w) + be32(h) + be32(24) + be32(0) + be32(1) + be32(0) +
                                be32(0) + std::string(1 << 20, '\x44');
        writeFile("huge.ras", ras);
        EXPECT_LT(store->load_BriskImage("huge.ras"), 0) << w << " x " << h;
    }
    EXPECT_EQ(store->getNumTex(), 1);

    // a whole SGI header but one byte: the multi-format reader takes no pixels from past its end
    std::string cut(511, '\0');
    cut[0] = char(474 >> 8);
    cut[1] = char(474 & 255);
    cut[3] = 1;
    cut[5] = 3;
    cut[7] = 1;
    cut[9] = 1;
    cut[11] = 3;
    writeFile("cut.rgb", cut);
    EXPECT_LT(store->load_BriskImage("cut.rgb"), 0);
    writeFile("whole.rgb", cut + std::string(1 + 3, '\x40'));
    EXPECT_GE(store->load_BriskImage("whole.rgb"), 1) << console->getText();
}

TEST_F(ImageTest, LiveTexturesShowThroughTexture0WithScaledAlpha)
{
    // channel c of pixel i holds 10 c + i; alpha is 200
    auto rgba = [](int w, int h, int ch) {
        std::vector<unsigned char> px(size_t(w * h * ch));
        for (int i = 0; i < w * h; i++)
            for (int c = 0; c < ch; c++)
                px[size_t(i * ch + c)] = (unsigned char)(c == 3 ? 200 : 10 * c + i);
        return sgiFile(w, h, ch, px);
    };
    writeFile("pic.rgba", rgba(3, 3, 4));
    writeFile("rgb.rgb", rgba(2, 2, 3));
    writeFile("huge.rgba", rgba(300, 256, 4));
    EXPECT_EQ(store->load_dynsgi("pic.rgba"), 0);
    // live textures are read each time and count no texture bytes
    EXPECT_EQ(store->load_dynsgi("pic.rgba"), 1);
    EXPECT_EQ(store->load_dynsgi("rgb.rgb"), 2);
    EXPECT_EQ(store->load_dynsgi("huge.rgba"), 3);
    EXPECT_EQ(store->getTotalTexBytes(), 0);
    EXPECT_EQ(store->getNumTex(), 1);

    texture3D* t0 = store->getTex2D(0);
    std::memset(t0->pixels.get(), 0xee, 0x40000);
    EXPECT_EQ(store->setdyntex(0, 128), 1);
    EXPECT_EQ(t0->width, 3);
    EXPECT_EQ(t0->height, 3);
    EXPECT_EQ(t0->components, 4);
    for (int p = 0; p < 8; p++) {
        EXPECT_EQ(t0->pixels[size_t(p * 4)], p);
        EXPECT_EQ(t0->pixels[size_t(p * 4 + 2)], 20 + p);
        EXPECT_EQ(t0->pixels[size_t(p * 4 + 3)], 100);  // 200 * 128 >> 8
    }
    // nine pixels: the ninth is left as it was
    EXPECT_EQ(t0->pixels[8 * 4], 0xee);
    EXPECT_EQ(t0->pixels[8 * 4 + 3], 0xee);
    EXPECT_EQ(store->setdyntex(1, 256), 1);
    EXPECT_EQ(t0->pixels[3], 200);
    EXPECT_EQ(store->setdyntex(1, 0), 1);
    EXPECT_EQ(t0->pixels[3], 0);

    // RGB pictures, pictures beyond 256 x 256 and unknown indices leave texture 0 alone
    const std::vector<unsigned char> before(t0->pixels.get(), t0->pixels.get() + 0x40000);
    EXPECT_EQ(store->setdyntex(2, 256), 0);
    EXPECT_EQ(store->setdyntex(3, 256), 0);
    EXPECT_EQ(store->setdyntex(4, 256), 0);
    EXPECT_EQ(store->setdyntex(-1, 256), 0);
    EXPECT_TRUE(logged("data3D::setdyntex: error live texture 2 is no RGBA picture of at most 256 x 256\n"));
    EXPECT_TRUE(logged("data3D::setdyntex: error no live texture 4\n"));
    EXPECT_TRUE(logged("data3D::setdyntex: error no live texture -1\n"));
    EXPECT_EQ(std::vector<unsigned char>(t0->pixels.get(), t0->pixels.get() + 0x40000), before);
    EXPECT_EQ(t0->width, 3);

    // the live textures' table fills to its capacity and no further; indices outside it name nothing
    for (int i = 4; i < data3D::maxDynTextures; i++)
        ASSERT_EQ(store->load_dynsgi("pic.rgba"), i);
    EXPECT_EQ(store->load_dynsgi("pic.rgba"), -1);
    EXPECT_TRUE(logged("data3D::load_dynsgi: error more than 512 live textures for pic.rgba\n"));
    EXPECT_EQ(store->getNumDynTex(), data3D::maxDynTextures);
    for (const int i : {-1, data3D::maxDynTextures}) {
        EXPECT_EQ(store->getDynTex2D(i), nullptr);
        EXPECT_EQ(store->getTex2D(i), nullptr);
    }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(_WIN32)
namespace {

// a 512 x 512 run-length Targa of 8 KB: its pixels need far more memory than its file
std::string runLengthTarga()
{
    std::string tga(18, '\0');
    tga[2] = 10;
    tga[13] = 2;
    tga[15] = 2;
    tga[16] = 24;
    for (int k = 0; k < 512 * 512 / 128; k++)
        tga += std::string{char(0x80 | 127), '\x10', '\x20', '\x30'};
    return tga;
}

}  // namespace

// Run in a process of its own (the next test starts it), where no freed memory is left to
// reuse: the address space is limited to what the process holds, and the decoder asks for more.
TEST_F(ImageTest, OutOfMemoryChild)
{
    if (std::getenv("KORVA_OOM_CHILD") == nullptr)
        GTEST_SKIP() << "runs as the child of ADecoderOutOfMemorySaysSo";
    writeFile("runs.tga", runLengthTarga());
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(f);
    }
    const rlim_t room = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + 600 * 1024;
    const rlimit limit = {room, room};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
    console->prCls();
    const int r = store->load_BriskImage("runs.tga");
    const std::string log = console->getText();
    EXPECT_EQ(r, -1) << log;
    EXPECT_NE(log.find("data3D::load_BriskImage(): out of memory error\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("can't load"), std::string::npos) << log;
}

TEST_F(ImageTest, ADecoderOutOfMemorySaysSo)
{
    // with memory to spare the same file decodes
    writeFile("runs.tga", runLengthTarga());
    ASSERT_GE(store->load_BriskImage("runs.tga"), 1) << console->getText();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string cmd = "KORVA_OOM_CHILD=1 '" + self + "' --gtest_filter=ImageTest.OutOfMemoryChild >child.txt 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << readFile("child.txt");
    EXPECT_NE(readFile("child.txt").find("[  PASSED  ] 1 test."), std::string::npos) << readFile("child.txt");
}
#endif
