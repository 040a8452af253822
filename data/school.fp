#version 110
// Fish bodies and eyes drawn many at a time, each in the colour its vertex
// stage picked, lit per pixel exactly as one fish at a time is: the scene's
// two lights sit at the eye, a white headlamp with a 45 degree cone and a dim
// grey point light with a blue highlight; Blinn highlights with shininess
// 128, the viewer at infinity, no ambient light.
varying vec3 eyePosition;
varying vec3 eyeNormal;
varying vec4 colour;

const float cosCutoff = 0.70710678;
const vec3 pointDiffuse = vec3(0.2);
const vec3 pointSpecular = vec3(0.0, 0.0, 1.0);
const float shininess = 128.0;

void main()
{
    vec3 n = normalize(eyeNormal);
    vec3 toLight = normalize(-eyePosition);
    float inCone = step(cosCutoff, toLight.z);
    float nl = max(dot(n, toLight), 0.0);
    vec3 diffuse = (vec3(inCone) + pointDiffuse) * nl;
    float highlight = nl > 0.0
        ? pow(max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0), shininess)
        : 0.0;
    vec3 specular = (vec3(inCone) + pointSpecular) * highlight;
    gl_FragColor = vec4(colour.rgb * diffuse + specular, colour.a);
}
