/* A program of nothing, linked by GNU ld, which fills in the PE header's
   checksum: the value the builder's checksum is checked against. */
void start(void) {}
