// Texture gallery: my favourite textures on a row of pedestals.
// The textures live in an array so adding one is one line; the pedestals
// are built in a loop, round and square by turns.  Render at 800x300.

#version 3.7;
global_settings { assumed_gamma 1.0 }

#include "colors.inc"
#include "textures.inc"
#include "metals.inc"

camera { location <0, 3, -14> look_at <0, 1, 0> angle 55 }
light_source { <0, 20, -20> White area_light x*4, y*4, 3, 3 adaptive 1 jitter }
background { rgb 0.05 }

#declare G_Pedestal = texture {
    pigment { White_Marble scale 0.5 }
    finish { ambient 0 diffuse 0.8 specular 0.3 roughness 0.02 }
}

#declare G_Velvet = texture {
    pigment { rgb <0.35, 0.02, 0.08> }
    normal { bumps 0.1 scale 0.01 }
    finish { ambient 0 diffuse 0.9 brilliance 0.5 }
}

#declare G_Names = array[8] { "Gold", "Jade", "Glass", "Chrome", "Agate", "Copper", "Candy", "Plum" }
#declare G_Textures = array[8] {
    texture { T_Gold_1C },
    texture { pigment { Jade } finish { phong 0.6 } },
    texture { pigment { rgbf <0.9, 1, 0.95, 0.9> } finish { reflection 0.1 specular 1 roughness 0.001 } },
    texture { T_Chrome_4C },
    texture { pigment { Blue_Agate scale 0.5 } finish { phong 0.8 } },
    texture { T_Copper_3B },
    texture { Candy_Cane scale 0.3 },
    texture { pigment { rgb <0.45, 0.1, 0.35> } finish { specular 0.5 roughness 0.01 } }
}

// two of them get names of their own, for the close-ups
#declare G_Hero = G_Textures[0]
#declare G_Hero_Alt = texture { G_Textures[4] scale 2 }

#declare G_Count = dimension_size(G_Textures, 1);
#declare G_Exhibits = array[G_Count]
#declare I = 0;
#while (I < G_Count)
    #declare G_Exhibits[I] = union {
        #if (mod(I, 2) = 0)
            cylinder { 0, y*1.2, 0.5
        #else
            box { <-0.45, 0, -0.45>, <0.45, 1.2, 0.45>
        #end
            texture { G_Pedestal }
        }
        sphere { y*1.8, 0.6 texture { G_Textures[I] } }
        text { ttf "timrom.ttf" G_Names[I] 0.05, 0 scale 0.25 translate <-0.4, 0.5, -0.55> texture { G_Velvet } }
    }
    #declare I = I + 1;
#end

#declare I = 0;
#while (I < G_Count)
    #object { G_Exhibits[I] translate x*(I - (G_Count - 1)/2)*1.8 }
    #declare I = I + 1;
#end

plane { y, 0 texture { G_Velvet } }

#declare G_Floor_Check = texture {
    checker
    texture { G_Velvet }
    texture { G_Pedestal }
    scale 2
}
plane { z, 8 texture { G_Floor_Check } }
