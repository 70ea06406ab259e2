// Vases on a shelf.  The profiles are lathes whose points come from a
// #for loop (a sine bulge), the glazes are two-layer textures with the
// finish given where they are used.

#version 3.7;
global_settings { assumed_gamma 1.0 }

#include "colors.inc"
#include "woods.inc"

camera { location <0, 2.5, -9> look_at <0, 1.2, 0> angle 40 }
light_source { <-6, 10, -8> White*0.9 }
light_source { <8, 4, -4> White*0.3 }
background { rgb <0.85, 0.82, 0.78> }

// glazes: a base colour with a drip layer on top
#declare V_Glaze_Blue = texture { pigment { rgb <0.05, 0.15, 0.45> } }
texture {
    pigment {
        gradient y turbulence 0.2
        color_map { [0 rgbt <0.8, 0.85, 0.9, 0>] [0.3 rgbt <0.8, 0.85, 0.9, 1>] [1 rgbt 1] }
        scale 2
    }
}

#declare V_Glaze_Celadon = texture { pigment { rgb <0.55, 0.7, 0.55> } }
texture {
    pigment { crackle color_map { [0 rgbt <0.2, 0.25, 0.2, 0>] [0.04 rgbt 1] [1 rgbt 1] } scale 0.1 }
}

#declare V_Earthenware = texture {
    pigment { rgb <0.6, 0.32, 0.18> }
    normal { bumps 0.2 scale 0.02 }
    finish { ambient 0 diffuse 0.8 }
}

#declare V_Gloss = finish { ambient 0 diffuse 0.6 specular 0.7 roughness 0.005 reflection 0.08 }

// the finish applied to the whole glaze, both layers
#declare V_Blue_Glossy = texture { V_Glaze_Blue finish { V_Gloss } }
#declare V_Celadon_Satin = texture {
    V_Glaze_Celadon
    finish { ambient 0 diffuse 0.7 specular 0.3 roughness 0.03 }
    normal { bumps 0.05 scale 0.05 }
}
#declare V_Shelf = texture { T_Wood10 finish { ambient 0 diffuse 0.7 specular 0.1 } scale 0.5 }

#declare V_N = 120;
#macro Vase(Height, Belly, Neck)
    lathe {
        cubic_spline
        V_N + 3,
        <0, -0.1>,
        #for (I, 0, V_N)
            #local T = I/V_N;
            <Neck + (Belly - Neck)*sin(pi*T)*(1 - T*0.3) + 0.03*sin(T*40), T*Height>,
        #end
        <Neck*1.2, Height + 0.1>
    }
#end

#declare Vase_Tall = object { Vase(2.5, 0.6, 0.25) }
#declare Vase_Round = object { Vase(1.4, 0.8, 0.3) }
#declare Vase_Small = object { Vase(0.9, 0.4, 0.15) }

#object { Vase_Tall texture { V_Blue_Glossy } translate x*-2 }
#object { Vase_Round texture { V_Celadon_Satin } }
#object { Vase_Small texture { V_Earthenware } translate x*2 }

box { <-4, -0.2, -1.5>, <4, 0, 1.5> texture { V_Shelf } }
