// Bathroom floor study: tiles with layered textures, and terrazzo made
// by averaging a few dozen random speckle textures (seeded, so it stays
// the same from render to render).

#version 3.7;
global_settings { assumed_gamma 1.0 }

#include "colors.inc"

camera { location <0, 6, -6> look_at 0 angle 45 }
light_source { <-5, 12, -6> White }
light_source { <6, 6, -2> White*0.4 shadowless }

#declare TL_Seed = seed(8128);

#declare TL_Glaze = finish { ambient 0 diffuse 0.7 specular 0.6 roughness 0.005 reflection 0.05 }

#declare TL_White_Glazed = texture { pigment { rgb 0.92 } finish { TL_Glaze } }
texture {
    pigment { bozo color_map { [0 rgbt <0.8, 0.8, 0.7, 0.7>] [0.5 rgbt 1] [1 rgbt 1] } scale 0.05 }
}

#declare TL_Black_Glazed = texture { pigment { rgb 0.03 } finish { TL_Glaze } }
texture {
    pigment { granite color_map { [0 rgbt 1] [0.9 rgbt 1] [1 rgbt <0.4, 0.4, 0.4, 0.5>] } scale 0.2 }
}

#declare TL_Checker_Floor = texture {
    tiles {
        texture { TL_White_Glazed }
        tile2
        texture { TL_Black_Glazed }
    }
    scale 0.5
}

#declare TL_Worn_Floor = texture {
    tiles {
        texture { pigment { rgb <0.85, 0.8, 0.7> } finish { TL_Glaze } }
        texture { pigment { bozo color_map { [0 rgbt <0.3, 0.25, 0.2, 0.6>] [0.4 rgbt 1] [1 rgbt 1] } scale 0.3 } }
        tile2
        texture { pigment { rgb <0.45, 0.2, 0.12> } finish { TL_Glaze } }
        texture { pigment { bozo color_map { [0 rgbt <0.3, 0.25, 0.2, 0.6>] [0.4 rgbt 1] [1 rgbt 1] } scale 0.3 } }
    }
    scale 0.4
}

#declare TL_Terrazzo = texture {
    average
    texture_map {
        #declare I = 0;
        #while (I < 24)
            [1 pigment { leopard
                         color_map { [0 rgb 0.85] [0.7 rgb 0.85] [0.7 rgb <rand(TL_Seed), rand(TL_Seed)*0.8, rand(TL_Seed)*0.6>] [1 rgb 0.2] }
                         scale 0.05 + rand(TL_Seed)*0.05
                         translate <rand(TL_Seed), 0, rand(TL_Seed)> * 10 }
               finish { TL_Glaze } ]
            #declare I = I + 1;
        #end
    }
}

#declare TL_Speckle_Weights = texture {
    average
    texture_map {
        #declare I = 0;
        #while (I < 6)
            [0.5 + rand(TL_Seed) pigment { granite color_map { [0 rgb <0.7, 0.65, 0.6>] [1 rgb rand(TL_Seed)*0.5] } scale 0.1 }]
            #declare I = I + 1;
        #end
    }
}

#declare TL_Grout = texture { pigment { rgb 0.6 } normal { bumps 0.2 scale 0.01 } finish { ambient 0 diffuse 0.8 } }

plane { y, 0 texture { TL_Checker_Floor } }
box { <-1.5, 0, -1>, <1.5, 0.02, 1> texture { TL_Terrazzo } }
box { <1.5, 0, -1>, <3, 0.02, 1> texture { TL_Worn_Floor } }
box { <-3, 0, -1>, <-1.5, 0.02, 1> texture { TL_Speckle_Weights } }
