// The page's elements by their ids.
export const $ = (id) => document.getElementById(id);
