#version 110
// Fish tail, coloured by lawlColor with faint rays along the fin, lit per
// pixel by the scene's two lights on both sides (the funnel is drawn without
// culling). Both lights sit at the eye for the whole run: a white headlamp
// with a 45 degree cone and a dim grey point light with a blue highlight;
// Blinn highlights with shininess 128, no ambient light.
uniform vec4 lawlColor;

varying vec3 eyePosition;
varying vec3 eyeNormal;
varying vec2 finPos;

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
    // Inside the headlamp's cone when the direction from the eye to the
    // surface is within 45 degrees of the view direction (0, 0, -1).
    float inCone = step(cosCutoff, toLight.z);
    float nl = max(dot(n, toLight), 0.0);
    float highlight = nl > 0.0
        ? pow(max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0), shininess)
        : 0.0;

    // Eight rays around the funnel: cos(8 * angle) from the unit vector,
    // squared three times as a complex number.
    vec2 z = normalize(finPos);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
    float rays = 0.8 + 0.2 * z.x;

    vec3 diffuse = (vec3(inCone) + pointDiffuse) * nl;
    vec3 specular = (vec3(inCone) + pointSpecular) * highlight;
    gl_FragColor = vec4(lawlColor.rgb * rays * diffuse + specular, lawlColor.a);
}
