// Writes the small sample scene the build ships: a cube of plain stone with
// a textured lid, an octagonal plate and their checker texture.
#include "sgiWriter.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";

    std::vector<unsigned char> checker(size_t(64) * 64 * 3);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            unsigned char* p = &checker[size_t(y * 64 + x) * 3];
            p[0] = light ? 230 : 40;
            p[1] = light ? 200 : 60;
            p[2] = light ? 90 : 150;
        }
    if (!writeSGI((dir + "/checker.rgb").c_str(), 64, 64, 3, checker.data())) {
        std::fprintf(stderr, "makeSample: can't write %s/checker.rgb\n", dir.c_str());
        return 1;
    }

    FILE* m = std::fopen((dir + "/sample.mtl").c_str(), "w");
    FILE* o = std::fopen((dir + "/sample.obj").c_str(), "w");
    if (!m || !o) {
        std::fprintf(stderr, "makeSample: can't write the sample model in %s\n", dir.c_str());
        return 1;
    }
    // the line after newmtl is not read by the loader: keep a comment there
    std::fprintf(m, "newmtl stone\n# plain grey\nKa 0.2 0.2 0.2\nKd 0.6 0.6 0.55\nKs 0.3 0.3 0.3\nNs 20\n\n"
                    "newmtl checker\n# textured lid and plate\nKa 0.3 0.3 0.3\nKd 1.0 1.0 1.0\nKs 0.5 0.5 0.5\n"
                    "Ns 60\nmap_Kd checker.rgb\n");
    std::fclose(m);

    std::fprintf(o, "# Korvane sample scene\nmtllib sample.mtl\ng cube\n");
    const float cube[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                              {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    for (const auto& v : cube)
        std::fprintf(o, "v %g %g %g\n", double(v[0]), double(v[1]), double(v[2]));
    // plate: an octagon at y = -2
    for (int i = 0; i < 8; i++) {
        const double a = i * 0.78539816;
        std::fprintf(o, "v %.6f -2 %.6f\n", 3.0 * std::cos(a), 3.0 * std::sin(a));
    }
    std::fprintf(o, "vn 0 0 -1\nvn 0 0 1\nvn 0 -1 0\nvn 0 1 0\nvn -1 0 0\nvn 1 0 0\n");
    std::fprintf(o, "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n");
    for (int i = 0; i < 8; i++) {
        const double a = i * 0.78539816;
        std::fprintf(o, "vt %.6f %.6f\n", 0.5 + 0.5 * std::cos(a), 0.5 + 0.5 * std::sin(a));
    }
    std::fprintf(o, "usemtl stone\ns 1\n"
                    "f 1//1 4//1 3//1 2//1\nf 5//2 6//2 7//2 8//2\nf 1//3 2//3 6//3 5//3\n"
                    "f 1//5 5//5 8//5 4//5\nf 2//6 3//6 7//6 6//6\n");
    std::fprintf(o, "usemtl checker\nf 4/1/4 8/2/4 7/3/4 3/4/4\n"
                    "f 9/5/4 16/12/4 15/11/4 14/10/4 13/9/4 12/8/4 11/7/4 10/6/4\n");
    std::fclose(o);
    return 0;
}
