<?php
// Public-address lookup for the Linux install and the tests: the caller's
// address as bare dotted text, no line end.
echo $_SERVER['REMOTE_ADDR'];
