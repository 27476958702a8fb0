#pragma once

// Page moves through a book, free of any widget. Pages count from 1; layouts are 1
// single page, 2 spreads with page 1 alone as a cover, 3 spreads from page 1.
namespace PageRules
{

// The lower page of the spread that holds page p.
int SpreadStart(int p, int layout);
// The page that next and previous move to; equal to p at the end of the book. In
// spreads they land on the higher page of the pair.
int NextPage(int p, int count, int layout);
int PrevPage(int p, int count, int layout);

} // namespace PageRules
