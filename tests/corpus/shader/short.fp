uniform vec4 lawlColor;
void main()
{
    gl_FragColor = lawlColor;
}
