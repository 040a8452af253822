#version 120
// Fish tail: lit like the body, but on both sides, since the open funnel is
// drawn without culling, and streaked with fin rays along its length.
uniform vec4 lawlColor;

varying vec3 eyeNormal;
varying vec3 lightVec0;
varying vec3 lightVec1;
varying vec3 diffuse0;
varying vec3 diffuse1;
varying vec3 specular0;
varying vec3 specular1;
varying vec4 ambientShine;
varying vec2 finPos;

const vec3 toViewer = vec3(0.0, 0.0, 1.0);

void main()
{
    vec3 n = normalize(eyeNormal);
    if (!gl_FrontFacing)
        n = -n;
    vec3 L0 = normalize(lightVec0);
    vec3 L1 = normalize(lightVec1);
    float nl0 = max(dot(n, L0), 0.0);
    float nl1 = max(dot(n, L1), 0.0);
    vec3 lit = ambientShine.rgb + diffuse0 * nl0 + diffuse1 * nl1;
    vec3 spec = vec3(0.0);
    if (nl0 > 0.0)
        spec += specular0 * pow(max(dot(n, normalize(L0 + toViewer)), 0.0), ambientShine.a);
    if (nl1 > 0.0)
        spec += specular1 * pow(max(dot(n, normalize(L1 + toViewer)), 0.0), ambientShine.a);

    // cos(16 theta) around the funnel without a trigonometric call: square the
    // unit direction four times as a complex number.
    vec2 z = normalize(finPos);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    float rays = 0.8 + 0.2 * (z.x * z.x - z.y * z.y);

    gl_FragColor = vec4(lawlColor.rgb * rays * lit + spec, lawlColor.a);
}
