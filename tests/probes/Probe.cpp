// A program that does nothing: the About page's tests read its version resource.
int main() { return 0; }
