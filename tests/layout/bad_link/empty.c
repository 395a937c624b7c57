int bad_link_empty;
