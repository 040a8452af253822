#version 110
// Plain lit surfaces: the interpolated lit colour, its alpha (the material's
// diffuse alpha) scaled by fAlpha. The colour comes in a varying of our own,
// not gl_Color: llvmpipe mixes up the channels of vec4(gl_Color.rgb, x).
uniform float fAlpha;

varying vec4 litColor;

void main()
{
    gl_FragColor = vec4(litColor.rgb, litColor.a * fAlpha);
}
