// Terrain from a height grid computed in SDL.
// The grid is 1000 x 500 samples of a few noise octaves; the colours of
// the terrain textures are chosen from the grid's lowest, highest and mean
// height, and a coarse block model is built from every 25th sample.
// Parsing takes a few seconds.

#version 3.7;
global_settings { assumed_gamma 1.0 }

#include "colors.inc"
#include "functions.inc"

#declare NX = 1000;
#declare NZ = 500;
#declare Height = array[NX][NZ]

#declare Lo = 1e9;
#declare Hi = -1e9;
#declare Sum = 0;
#declare IX = 0;
#while (IX < NX)
    #declare IZ = 0;
    #while (IZ < NZ)
        #declare V = f_noise3d(IX/80, 0, IZ/80) + 0.5*f_noise3d(IX/20, 1, IZ/20);
        #declare Height[IX][IZ] = V;
        #declare Lo = min(Lo, V);
        #declare Hi = max(Hi, V);
        #declare Sum = Sum + V;
        #declare IZ = IZ + 1;
    #end
    #declare IX = IX + 1;
#end
#declare Mean = Sum/(NX*NZ);
#declare Snow_Line = (Mean - Lo)/(Hi - Lo) + 0.25;

#debug concat("terrain: ", str(Lo, 0, 3), " .. ", str(Hi, 0, 3), ", mean ", str(Mean, 0, 3), "\n")

#declare TG_Grass = texture {
    pigment { rgb <0.2, 0.35 + 0.2*(Mean - Lo)/(Hi - Lo), 0.1> }
    normal { bumps 0.3 scale 0.02 }
    finish { ambient 0 diffuse 0.8 }
}

#declare TG_Rock = texture {
    pigment { granite color_map { [0 rgb 0.35] [1 rgb 0.55] } scale 0.1 }
    finish { ambient 0 diffuse 0.7 }
}

#declare TG_Snow = texture {
    pigment { rgb 0.95 }
    finish { ambient 0 diffuse 0.9 specular 0.3 roughness 0.02 }
}

#declare TG_Height_Pigment = pigment {
    gradient y
    color_map {
        [0 rgb <0.15, 0.3, 0.08>]
        [Snow_Line - 0.1 rgb <0.4, 0.38, 0.3>]
        [Snow_Line rgb 0.5]
        [Snow_Line + 0.02 rgb 0.95]
        [1 rgb 1]
    }
}

#declare TG_Terrain = texture {
    pigment { TG_Height_Pigment }
    finish { ambient 0 diffuse 0.8 }
}

#declare TG_Water = texture {
    pigment { rgbt <0.1, 0.25, 0.35, 0.4> }
    finish { ambient 0 diffuse 0.2 reflection 0.3 specular 0.6 roughness 0.005 }
}

camera { location <NX/2, 400, -300> look_at <NX/2, 0, NZ/2> angle 60 }
light_source { <-1000, 2000, -1000> White }
sky_sphere { pigment { rgb <0.6, 0.75, 0.95> } }

union {
    #declare IX = 0;
    #while (IX < NX)
        #declare IZ = 0;
        #while (IZ < NZ)
            #declare H = (Height[IX][IZ] - Lo)/(Hi - Lo);
            box { <IX, 0, IZ>, <IX + 25, 0.01 + H*150, IZ + 25> }
            #declare IZ = IZ + 25;
        #end
        #declare IX = IX + 25;
    #end
    texture { TG_Terrain scale 150 }
}
plane { y, 40 texture { TG_Water } }
