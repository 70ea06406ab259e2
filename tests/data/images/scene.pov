// The scene behind scene*.png and scene*.tga, rendered by POV-Ray 3.7:
//   povray +iscene.pov -d -p -gs -gr +w24 +h18 +oscene.png
//   ... +oscene.tga +ft          ... +oscene_rle.tga +fc          ... +oscene_16bit.png +fn16
//   ... +oscene_alpha.png +ua    ... +oscene_alpha.tga +ft +ua    ... +oscene_alpha_rle.tga +fc +ua
// A checkered sphere off centre in front of a flat background, so that the run-length encoded
// Targa holds both runs and literal packets and a flipped picture would not match.
camera { location <0, 0, -4> look_at <0, 0, 0> angle 50 }
light_source { <5, 5, -5> color rgb 1 }
background { color rgb <0.2, 0.3, 0.8> }
sphere { <0.3, -0.2, 0>, 1 pigment { checker color rgb <1, 0.2, 0.1> color rgb <0.1, 1, 0.3> scale 0.4 } }
