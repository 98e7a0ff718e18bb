#include "benchModel.h"

#include "sgiWriter.h"

#include <cmath>
#include <cstdio>
#include <vector>

std::string writeBenchModel(const std::string& dir)
{
    const int n = 410;
    const int materials = 50;
    std::vector<unsigned char> px(4 * 4 * 3, 128);
    writeSGI((dir + "/bench.rgb").c_str(), 4, 4, 3, px.data());

    FILE* m = std::fopen((dir + "/bench.mtl").c_str(), "w");
    for (int i = 0; i < materials; i++)
        std::fprintf(m, "newmtl mat%d\n# material %d\nKa 0.2 0.2 0.2\nKd 0.%d 0.5 0.5\nKs 0.1 0.1 0.1\nNs 30\n"
                        "map_Kd bench.rgb\n\n",
                     i, i, i % 10);
    std::fclose(m);

    const std::string path = dir + "/bench.obj";
    FILE* o = std::fopen(path.c_str(), "w");
    std::fprintf(o, "# loader benchmark grid\nmtllib bench.mtl\n");
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++)
            std::fprintf(o, "v %.4f %.4f %.4f\n", x * 0.25, 0.5 * std::sin(x * 0.1) * std::cos(y * 0.1), y * 0.25);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++)
            std::fprintf(o, "vn %.4f %.4f %.4f\n", 0.1 * std::cos(x * 0.1), 0.99, 0.1 * std::sin(y * 0.1));
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++)
            std::fprintf(o, "vt %.4f %.4f\n", x / double(n - 1), y / double(n - 1));
    for (int y = 0; y + 1 < n; y++) {
        std::fprintf(o, "usemtl mat%d\ng row%d\n", y % materials, y);
        for (int x = 0; x + 1 < n; x++) {
            const int a = y * n + x + 1;
            const int b = a + 1;
            const int c = a + n;
            const int d = c + 1;
            std::fprintf(o, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, d, d, d);
            std::fprintf(o, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, d, d, d, c, c, c);
        }
    }
    std::fclose(o);
    return path;
}
