#version 110
// Fish body and eyes, coloured by lawlColor and lit per pixel by the scene's
// two lights. Both sit at the eye for the whole run, so they share one light
// direction: a white headlamp with a 45 degree cone, and a dim grey point
// light with a blue highlight. Blinn highlights with shininess 128, the
// viewer at infinity, no ambient light, as the fixed-function state has it.
uniform vec4 lawlColor;

varying vec3 eyePosition;
varying vec3 eyeNormal;

const float cosCutoff = 0.70710678;  // the headlamp's 45 degree cone
const vec3 headlampDiffuse = vec3(1.0);
const vec3 headlampSpecular = vec3(1.0);
const vec3 pointDiffuse = vec3(0.2);
const vec3 pointSpecular = vec3(0.0, 0.0, 1.0);
const float shininess = 128.0;

void main()
{
    vec3 n = normalize(eyeNormal);
    vec3 toLight = normalize(-eyePosition);
    // The cone is measured from the view direction (0, 0, -1): the surface
    // lies inside it when the direction from the eye to it, -toLight, is
    // within 45 degrees of that.
    float inCone = step(cosCutoff, toLight.z);
    float nl = max(dot(n, toLight), 0.0);
    vec3 diffuse = (inCone * headlampDiffuse + pointDiffuse) * nl;
    float highlight = nl > 0.0
        ? pow(max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0), shininess)
        : 0.0;
    vec3 specular = (inCone * headlampSpecular + pointSpecular) * highlight;
    gl_FragColor = vec4(lawlColor.rgb * diffuse + specular, lawlColor.a);
}
