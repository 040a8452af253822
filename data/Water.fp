#version 110
// Water surface: translucent blue-green, lit on whichever side faces the
// viewer, with a specular glint and the caustic pattern added on top.
// causticMap must be set to texture unit 1 by the host; a black sample just
// means no caustics.
uniform sampler2D causticMap;

varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec3 diffuseUp;
varying vec3 diffuseDown;
varying vec3 halfVec0;
varying vec3 halfVec1;
varying vec3 specular0;
varying vec3 specular1;
varying vec2 causticCoord;
varying vec2 surface;

const vec3 waterTint = vec3(0.30, 0.80, 1.00);

void main()
{
    vec3 n = normalize(eyeNormal);
    // The eye is at the origin, so eyePos points from the eye to the surface.
    bool fromAbove = dot(n, eyePos) < 0.0;
    n = fromAbove ? n : -n;
    vec3 diffuse = fromAbove ? diffuseUp : diffuseDown;

    float shine = surface.x;
    vec3 glint = specular0 * pow(max(dot(n, normalize(halfVec0)), 0.0), shine)
              + specular1 * pow(max(dot(n, normalize(halfVec1)), 0.0), shine);

    vec3 caustic = texture2D(causticMap, causticCoord).rgb;
    vec3 rgb = diffuse * (waterTint + 0.5 * caustic) + glint;
    float a = surface.y + dot(glint, vec3(0.333));
    gl_FragColor = vec4(rgb, clamp(a, 0.0, 1.0));
}
