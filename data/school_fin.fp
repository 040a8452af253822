#version 110
// Fish tails drawn many at a time, each in the colour its vertex stage
// picked, with faint rays along the fin, lit per pixel on both sides exactly
// as one tail at a time is: a white headlamp with a 45 degree cone and a dim
// grey point light with a blue highlight, both at the eye; Blinn highlights
// with shininess 128, no ambient light.
varying vec3 eyePosition;
varying vec3 eyeNormal;
varying vec2 finPos;
varying vec4 colour;

const float cosCutoff = 0.70710678;
const vec3 pointDiffuse = vec3(0.2);
const vec3 pointSpecular = vec3(0.0, 0.0, 1.0);
const float shininess = 128.0;

void main()
{
    vec3 n = normalize(eyeNormal);
    if (!gl_FrontFacing)
        n = -n;
    vec3 toLight = normalize(-eyePosition);
    float inCone = step(cosCutoff, toLight.z);
    float nl = max(dot(n, toLight), 0.0);
    float highlight = nl > 0.0
        ? pow(max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0), shininess)
        : 0.0;

    // Eight rays around the funnel: cos(8 * angle), by squaring the unit
    // vector three times as a complex number.
    vec2 z = normalize(finPos);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    float rays = 0.8 + 0.2 * z.x;

    vec3 diffuse = (vec3(inCone) + pointDiffuse) * nl;
    vec3 specular = (vec3(inCone) + pointSpecular) * highlight;
    gl_FragColor = vec4(colour.rgb * rays * diffuse + specular, colour.a);
}
