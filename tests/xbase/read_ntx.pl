#!/usr/bin/perl
# Walks an index file in key order with XBase::Index and prints one line per entry: the record
# number and the key bytes in hex. Exits non-zero when the reader reports an error.
#
# Usage: read_ntx.pl TAG.ntx
use strict;
use warnings;
use XBase::Index;

my $file = shift or die "usage: read_ntx.pl TAG.ntx\n";
my $index = XBase::Index->new($file, type => 'C')
    or die "XBase::Index cannot open $file: " . XBase::Index->errstr;
$index->prepare_select;
while (my ($key, $rec) = $index->fetch) {
    print $rec, ' ', unpack('H*', $key), "\n";
}
my $error = $index->errstr;
die "XBase::Index stopped in $file: $error" if defined $error && $error ne '';
