"""The reference text of each declaration, as the docstring of its Python function."""

import textwrap


def _comment_texts(functions):
    """The header's own comments: the section a declaration stands in and its own comment."""
    texts = {}
    for f in functions:
        parts = [f.section] if f.section else []
        if f.comment and f.comment != f.section:
            parts.append(f.comment)
        texts[f.name] = "\n\n".join(textwrap.dedent(p) for p in parts)
    return texts


def texts(header_path, functions, reference_dir=None):
    del header_path, reference_dir
    return _comment_texts(functions)
