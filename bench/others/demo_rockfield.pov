// Rock field  -- a demo scene for my rock textures.
// Change the seed to get a different field.
// +W640 +H480 +A0.3

#version 3.7;
global_settings { assumed_gamma 1.0 }

#include "colors.inc"
#include "stones.inc"

#declare S = seed(2718);

camera { location <0, 4, -12> look_at <0, 0.5, 0> angle 50 }
light_source { <-20, 30, -20> color White*1.2 }
light_source { <15, 10, -5> color rgb <0.3, 0.35, 0.45> shadowless }

sky_sphere { pigment { gradient y color_map { [0 rgb <0.7, 0.8, 0.9>] [1 rgb <0.2, 0.35, 0.7>] } } }

#declare Rock_Grey = texture {
    pigment { granite color_map { [0 rgb 0.3] [0.7 rgb 0.45] [1 rgb 0.6] } scale 0.4 }
    normal { granite 0.5 scale 0.4 }
    finish { ambient 0 diffuse 0.7 }
}

#declare Rock_Red = texture { T_Stone12 scale 0.5 }

#declare Rock_Mossy = texture { Rock_Grey }
texture {
    pigment {
        bozo turbulence 0.5
        color_map { [0 rgbt <0.2, 0.35, 0.1, 0>] [0.4 rgbt <0.2, 0.35, 0.1, 1>] [1 rgbt 1] }
        scale 0.3
    }
}

// a pebble colour picked at random once
#declare Pebble = texture {
    pigment { rgb <0.5 + rand(S)*0.3, 0.45 + rand(S)*0.2, 0.4 + rand(S)*0.1> }
    normal { dents 0.5 scale 0.05 }
    finish { ambient 0 diffuse 0.8 specular 0.1 }
}

#declare Sand = texture {
    pigment { rgb <0.76, 0.7, 0.5> }
    normal { bumps 0.2 scale 0.02 }
    finish { ambient 0 diffuse 0.85 }
}

#macro Rock_Texture(Choice)
    #switch (Choice)
        #case (0) texture { Rock_Grey } #break
        #case (1) texture { Rock_Red } #break
        #else texture { Rock_Mossy }
    #end
#end

#declare Rock_Default = Rock_Texture(0)

plane { y, 0 texture { Sand } }

// the rocks: about half boxes, half blobs
#declare Rocks = union {
    #declare I = 0;
    #while (I < 60)
        #declare P = <rand(S)*16 - 8, 0, rand(S)*10 - 3>;
        #if (rand(S) > 0.5)
            box { -0.5, 0.5 scale <0.5 + rand(S), 0.3 + rand(S)*0.5, 0.5 + rand(S)>
        #else
            sphere { 0, 0.5 scale <1 + rand(S)*0.5, 0.5 + rand(S)*0.4, 1>
        #end
            Rock_Texture(int(rand(S)*3))
            rotate <rand(S)*20, rand(S)*360, rand(S)*20>
            translate P
        }
        #declare I = I + 1;
    #end
}

#object { Rocks }

// pebbles
#declare I = 0;
#while (I < 80)
    sphere { 0, 0.08 scale <1, 0.6, 1> texture { Pebble } translate <rand(S)*16 - 8, 0.03, rand(S)*10 - 3> }
    #declare I = I + 1;
#end
