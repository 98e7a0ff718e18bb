// One entry of the material table of the current load (one per newmtl).
#ifndef KORVA_MATERIAL3D_H
#define KORVA_MATERIAL3D_H

struct material3D {
    char name[64];
    // 0 colour, 1 texture, 2 sphere map, 3 texture + sphere map, 4 texture + bump map
    int type;
    float Ka[4];
    float Kd[4];
    float Ks[4];
    float Ns;
    int texture;
    int texture2;
};

#endif
