#version 120
// Fish body and eyes: Blinn-Phong per pixel with the scene's two lights. The
// body colour lawlColor takes the place of the ambient and diffuse material;
// the highlight keeps the material's specular colour.
uniform vec4 lawlColor;

varying vec3 eyeNormal;
varying vec3 lightVec0;
varying vec3 lightVec1;
varying vec3 diffuse0;
varying vec3 diffuse1;
varying vec3 specular0;
varying vec3 specular1;
varying vec4 ambientShine;

const vec3 toViewer = vec3(0.0, 0.0, 1.0);   // viewer at infinity, as in GL

void main()
{
    vec3 n = normalize(eyeNormal);
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
    gl_FragColor = vec4(lawlColor.rgb * lit + spec, lawlColor.a);
}
