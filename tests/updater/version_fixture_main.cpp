// Does nothing: it exists to carry a file version stamp.
int main()
{
    return 0;
}
